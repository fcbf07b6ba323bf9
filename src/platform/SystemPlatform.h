#pragma once

#include "Platform.h"

#include <memory>

// The Linux desktop's implementations of every platform interface, owned
// together for the life of the program.
class SystemPlatform
{
public:
    SystemPlatform();
    ~SystemPlatform();

    // The interfaces, as the windows take them.
    Platform platform() const;

private:
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<Application> m_application;
    std::unique_ptr<BatteryStatus> m_battery;
    std::unique_ptr<TrayIcon> m_tray;
};
