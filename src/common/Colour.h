#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as designed: 0x00BBGGRR, red in the low byte.
using Colour = quint32;

inline QColor toQColor(Colour colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
