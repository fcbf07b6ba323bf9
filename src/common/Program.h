#pragma once

#include <QString>

// What the program calls itself in titles, boxes and the tray.
namespace Program {

inline const QString Name = QStringLiteral("Dimmerling");

} // namespace Program
