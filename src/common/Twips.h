#pragma once

#include <QRect>
#include <QtGlobal>

// All window geometry is designed in twips; Qt works in device-independent
// pixels, 15 twips each (the 96-dpi value).
namespace Twips {

constexpr float PerPixel = 15.0F;

constexpr int toPixels(double twips)
{
    const double pixels = twips / PerPixel;
    return pixels >= 0 ? int(pixels + 0.5) : -int(-pixels + 0.5);
}

constexpr float fromPixels(qint32 pixels)
{
    return float(pixels) * PerPixel;
}

constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
