#pragma once

#include <QIcon>

// The program's icon: 16 and 32 px rendered at build time, any other size
// drawn from its SVG when first asked for. A plain SVG icon makes the window
// system render four sizes up to 128 px before the gauge can appear.
QIcon programIcon();
