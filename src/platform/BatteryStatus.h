#pragma once

#include <QtGlobal>

#include <cmath>
#include <optional>

// The battery-status source: two reads, each giving the current value.
// Reads must be cheap: the meter reads the charge and the AC status once
// each per tick, ten ticks a second.
class BatteryStatus
{
public:
    // Charge of the machine's batteries in percent, 0..100; 255 when the
    // machine has no battery.
    static constexpr qint16 NoBattery = 255;

    virtual ~BatteryStatus() = default;

    // A percentage as the sources report it: clamped to 0..100, halves
    // rounded up; nothing for not-a-number or infinity, which are no reading.
    static std::optional<qint16> toPercent(double value)
    {
        if (!std::isfinite(value))
            return std::nullopt;
        return qint16(std::floor(qBound(0.0, value, 100.0) + 0.5));
    }

    // Whether a source's own percentage is a reading: UPower and the kernel
    // document 0..100, and a value outside (or not a number) is none.
    static bool isPercent(double value) { return value >= 0.0 && value <= 100.0; }

    // Charge in percent (0..100, or NoBattery).
    virtual qint16 charge() = 0;
    // AC-line status: 1 when the machine runs on external power, else 0.
    virtual qint16 acStatus() = 0;
};
