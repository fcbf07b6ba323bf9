#pragma once

#include <QIcon>

// The program's icon, drawn from its SVG only at the sizes actually asked
// for. A plain SVG icon makes the window system render four sizes up to
// 128 px before the gauge can appear.
QIcon programIcon();
