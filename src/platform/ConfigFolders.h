#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folders a settings file may live in, and reading a file someone else
// keeps there (an administrator's shared default).
namespace ConfigFolders {

// Why this user's settings may not be kept in folder: not known (empty),
// a system folder (/usr and below, even for root: the file system hierarchy
// keeps it read-only), or the system's reason it cannot be written. Empty
// when they may.
QString whyNotForSettings(const QString &folder);

// The system configuration folders, most important first:
// $XDG_CONFIG_DIRS without its relative entries, /etc/xdg when it names none.
QStringList systemFolders();

// The bytes of the regular file at path, read without ever blocking on a
// pipe or a device. Returns why it cannot be read ("it is a folder", "no
// such file", the system's reason), or nothing with content filled.
QString readRegularFile(const QString &path, QByteArray *content);

} // namespace ConfigFolders
