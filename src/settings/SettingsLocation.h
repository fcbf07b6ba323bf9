#pragma once

#include <QSet>
#include <QString>

#include <optional>

// Which settings file this user's gauge reads and writes, and where a
// missing one starts from. Chosen once, at start-up, by the meter, which
// lends it to the windows that read the settings.
class SettingsLocation
{
public:
    // Beside the program wherever its folder may keep settings (a build, the
    // per-user install, an unpacked tarball, an administrator running an /opt
    // copy), else dimmerling/settings.ini in the user's configuration folder
    // ($XDG_CONFIG_HOME, by default ~/.config), one for each user of a shared
    // install.
    explicit SettingsLocation(const QString &applicationFolder);

    // The settings file chosen.
    const QString &path() const { return m_path; }

    // Makes the file when it is missing, folder first: beside the program
    // from the built-in values; for a user's own file, a copy of every byte
    // of the first readable of the file beside the program, the system
    // folders' dimmerling/settings.ini and the built-in values. When it
    // cannot be made, nothing is left behind and one line on standard error
    // says why.
    void ensureExists();

    // The file to read the settings from: path() when it is a regular file
    // this process can read (an empty one too: all its keys are missing),
    // else the file a user's own one starts from, or the built-in values. An
    // existing path() that cannot be read (a folder, a pipe, a device, no
    // permission) is named on standard error once per reason, however often
    // the settings are read; it is never written over, as a save refuses it.
    QString readFrom();

private:
    QString fallback();
    QString startFrom(QByteArray *content);
    void tellUnreadable(const QString &reason);

    const QString m_programFolder;
    bool m_perUser = false;
    QString m_path;
    // Where a missing file starts from, once known.
    std::optional<QString> m_startFile;
    QSet<QString> m_told;
};
