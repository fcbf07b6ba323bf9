#pragma once

// The D-Bus names the battery sources use: the UPower daemon's, and the bus's own.
namespace UPowerNames {

inline constexpr char service[] = "org.freedesktop.UPower";

// The daemon object: OnBattery.
inline constexpr char managerPath[] = "/org/freedesktop/UPower";
inline constexpr char managerInterface[] = "org.freedesktop.UPower";
inline constexpr char onBatteryProperty[] = "OnBattery";

// The composite device standing for all of the machine's batteries.
inline constexpr char displayDevicePath[] = "/org/freedesktop/UPower/devices/DisplayDevice";
inline constexpr char deviceInterface[] = "org.freedesktop.UPower.Device";
inline constexpr char percentageProperty[] = "Percentage"; // double, percent
inline constexpr char isPresentProperty[] = "IsPresent";

inline constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char propertiesChangedSignal[] = "PropertiesChanged";
inline constexpr char getMethod[] = "Get";
inline constexpr char getAllMethod[] = "GetAll";

// Sent by the connection itself when the bus daemon goes away.
inline constexpr char localPath[] = "/org/freedesktop/DBus/Local";
inline constexpr char localInterface[] = "org.freedesktop.DBus.Local";
inline constexpr char disconnectedSignal[] = "Disconnected";

} // namespace UPowerNames
