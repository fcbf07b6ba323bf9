#include "SystemPlatform.h"

#include "QtApplication.h"
#include "QtDesktop.h"
#include "QtPrompts.h"
#include "QtTrayIcon.h"
#include "battery/SystemBattery.h"

SystemPlatform::SystemPlatform()
    : m_desktop(std::make_unique<QtDesktop>())
    , m_prompts(std::make_unique<QtPrompts>())
    , m_application(std::make_unique<QtApplication>())
    , m_battery(std::make_unique<SystemBattery>())
    , m_tray(std::make_unique<QtTrayIcon>())
{
}

SystemPlatform::~SystemPlatform() = default;

Platform SystemPlatform::platform() const
{
    return {*m_desktop, *m_prompts, *m_application, *m_battery, *m_tray};
}
