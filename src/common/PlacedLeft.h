#pragma once

#include "Twips.h"

// Where a window's left edge was put, in twips. A window sits on whole
// pixels, 15 twips each, so an edge of 1000 twips lands on pixel 67 and
// would read back as 1005: what was asked reads back exactly while the
// window stays on the pixel it was put on, and any other pixel reads as its
// own twips.
class PlacedLeft
{
public:
    // Remembers the edge asked for; returns the pixel to put the window on.
    constexpr int place(float twips)
    {
        m_twips = twips;
        m_pixels = Twips::toPixels(twips);
        return m_pixels;
    }

    // The edge of a window whose left edge is now at pixel x.
    constexpr float read(int x) const { return x == m_pixels ? m_twips : Twips::fromPixels(x); }
    // The edge last asked for, wherever the window is now.
    constexpr float asked() const { return m_twips; }

private:
    float m_twips = 0;
    // Never placed reads as placed at 0, which is the same.
    int m_pixels = 0;
};
