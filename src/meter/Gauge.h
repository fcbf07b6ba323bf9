#pragma once

#include "common/Colour.h"

#include <QtGlobal>

// The gauge's arithmetic: pure functions of the charge in percent.
namespace Gauge {

constexpr Colour Green = 0x00FF00;
constexpr Colour Red = 0x0000FF;
constexpr Colour Orange = 0x0080FF;
constexpr Colour LightBlue = 0xFF8080;
constexpr Colour White = 0xFFFFFF;
constexpr Colour LightGrey = 0xE0E0E0;

constexpr qint16 Full = 100;
constexpr qint16 Low = 20;
constexpr qint16 High = 80;

// A charge outside 0..100 (255 means "no battery") counts as the nearer end.
constexpr qint16 bounded(qint16 charge)
{
    return charge < 0 ? 0 : charge > Full ? Full : charge;
}

// Width of the bar in twips: 38.2 a percent, 3820 when full.
constexpr float barWidth(qint16 charge)
{
    return float(double(charge) * 38.2);
}

// Window alpha: 50 when full, two more per percent lost, 250 when empty.
constexpr quint8 opacity(qint16 charge)
{
    return quint8((Full - charge) * 2 + 50);
}

} // namespace Gauge
