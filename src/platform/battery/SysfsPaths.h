#pragma once

#include <QString>

// Where the kernel publishes power supplies, and the attribute files and
// values read there.
namespace SysfsPaths {

// The folder holding one entry (a symbolic link to a folder) per supply.
inline QString powerSupplyRoot()
{
    return QStringLiteral("/sys/class/power_supply");
}

inline constexpr char typeAttribute[] = "type";
inline constexpr char scopeAttribute[] = "scope";
inline constexpr char presentAttribute[] = "present";
inline constexpr char onlineAttribute[] = "online";
inline constexpr char energyNowAttribute[] = "energy_now"; // µWh
inline constexpr char energyFullAttribute[] = "energy_full"; // µWh
inline constexpr char chargeNowAttribute[] = "charge_now"; // µAh
inline constexpr char chargeFullAttribute[] = "charge_full"; // µAh
inline constexpr char capacityAttribute[] = "capacity"; // percent

inline constexpr char batteryType[] = "Battery";
// Scope of a battery inside a peripheral (mouse, headset), not the machine's.
inline constexpr char deviceScope[] = "Device";

// Supply types that mean external power when online.
inline constexpr const char *externalPowerTypes[] = {
    "Mains", "USB", "USB_C", "USB_PD", "USB_DCP", "USB_CDP", "USB_ACA",
};

} // namespace SysfsPaths
