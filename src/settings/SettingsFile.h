#pragma once

#include <QSet>
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

// Names on standard error a settings file that cannot be read, once per file
// and reason however often the settings are read: one lives as long as the
// windows that read them.
class UnreadableNotice
{
public:
    void tell(const QString &path, const QString &reason);

private:
    QSet<QString> m_told;
};

// The file to read the settings from: path when it is a regular file this
// process can read (an empty one too: all its keys are missing), else
// SettingsLocation::fallback(). An existing path that cannot be read (a
// folder, a pipe, a device, no permission) is named through notice; it is
// never written over, as a save refuses it.
QString readFrom(const QString &path, UnreadableNotice &notice);

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

// The settings as reader takes them, from the file at path, or the fallback
// ones where it cannot be read (see readFrom()).
Values load(const QString &path, Reader reader, UnreadableNotice &notice);

} // namespace SettingsFile

// The value of Key in Section of Filename, at most 254 characters; empty
// when the file, the section or the key is missing.
QString ReadIni(const QString &Filename, const QString &Section, const QString &Key);

// Writes one value; true when it reached the file. Creates the file, the
// section or the key as needed and leaves every other line as it was.
bool INIWrite(const QString &sSection, const QString &sKeyName, const QString &sNewString,
              const QString &sINIFileName);
