#pragma once

#include <QColor>
#include <QtGlobal>

#include <QList>

// Colours as designed: 0x00BBGGRR, red in the low byte.
using Colour = quint32;

inline QColor toQColor(Colour colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// How well two colours read against each other, as the web's accessibility
// guidelines measure it: 1 (the same) to 21 (black on white).
double contrast(const QColor &a, const QColor &b);

// text where it reads well on every one of backgrounds, else text mixed
// towards black or white, whichever reads better there, just far enough.
QColor readableOn(const QColor &text, const QList<QColor> &backgrounds);
