#pragma once

#include <QString>

// What the program calls itself in titles, boxes and the tray.
namespace Program {

inline const QString Name = QStringLiteral("Dimmerling");
// The project's version in CMakeLists.txt, such as "1.0".
inline const QString Version = QStringLiteral(DIMMERLING_VERSION);

} // namespace Program
