#pragma once

#include <memory>

class BatteryStatus;
class TrayIcon;
class WindowServices;

// The one place that chooses the platform's implementations.
std::unique_ptr<WindowServices> createWindowServices();
std::unique_ptr<BatteryStatus> createBatteryStatus();
std::unique_ptr<TrayIcon> createTrayIcon();
