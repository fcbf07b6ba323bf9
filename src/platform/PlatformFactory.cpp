#include "PlatformFactory.h"

#include "QtTrayIcon.h"
#include "QtWindowServices.h"
#include "SystemBattery.h"

std::unique_ptr<WindowServices> createWindowServices()
{
    return std::make_unique<QtWindowServices>();
}

std::unique_ptr<BatteryStatus> createBatteryStatus()
{
    return std::make_unique<SystemBattery>();
}

std::unique_ptr<TrayIcon> createTrayIcon()
{
    return std::make_unique<QtTrayIcon>();
}
