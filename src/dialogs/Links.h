#pragma once

#include <QString>

// The web pages the about box links to. The maker's hosts are placeholders
// until the project has a home of its own.
namespace Links {

inline const QString Home = QStringLiteral("https://www.example.org/");
inline const QString Donation = QStringLiteral("https://donate.example.org/index.php?source=DimmerlingInApp");
inline const QString Freeware = QStringLiteral("https://en.wikipedia.org/wiki/Freeware");

} // namespace Links
