#pragma once

#include <QString>

// The settings file: one section, six on/off keys.
namespace SettingsFile {

inline const QString Section = QStringLiteral("PowerMenu");
inline const QString MoveMouseOver = QStringLiteral("MoveMouseOver");
inline const QString EnableSettings = QStringLiteral("EnableSettings");
inline const QString EnableTray = QStringLiteral("EnableTray");
inline const QString HideWhenFull = QStringLiteral("HideWhenFull");
inline const QString WarnBelow20 = QStringLiteral("WarnBelow20");
inline const QString ShowPercentage = QStringLiteral("ShowPercentage");
inline const QString On = QStringLiteral("1");
inline const QString Off = QStringLiteral("0");
// The file that ships with the program, built into it.
inline const QString Default = QStringLiteral(":/settings.ini");

// The settings file in the given folder; no separator check, as users of a
// folder with a trailing separator have always seen a doubled one.
QString path(const QString &applicationFolder);

// Who reads the file: the two readers take ShowPercentage differently.
enum class Reader { Meter, Dialog };

// The six settings, each on for exactly "1", except ShowPercentage at the
// meter, which is on for anything but exactly "0" (a missing key included).
struct Values
{
    bool moveMouseOver = false;
    bool enableSettings = false;
    bool enableTray = false;
    bool hideWhenFull = false;
    bool warnBelow20 = false;
    bool showPercentage = false;
};

// The settings as reader takes them from the file at path (see
// SettingsLocation::readFrom()).
Values load(const QString &path, Reader reader);

} // namespace SettingsFile

// The value of Key in Section of Filename, at most 254 characters; empty
// when the file, the section or the key is missing.
QString ReadIni(const QString &Filename, const QString &Section, const QString &Key);

// Writes one value; true when it reached the file. Creates the file, the
// section or the key as needed and leaves every other line as it was.
bool INIWrite(const QString &sSection, const QString &sKeyName, const QString &sNewString,
              const QString &sINIFileName);
