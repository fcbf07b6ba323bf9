#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folders a settings file may live in, making them, and looking at the
// files there: the settings file itself, or one someone else keeps (an
// administrator's shared default).
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

// Why the file at path cannot be read as a regular file ("it is a folder",
// or the system's reason); empty when it can, or when nothing is there (a
// missing file or folder, or a link to one).
QString whyUnreadable(const QString &path);

// Makes folder and each missing folder above it, private to this user (the
// XDG base directory rules ask that of the folders a program creates).
// Returns why it could not, or nothing when folder is there.
QString makeFolder(const QString &folder);

} // namespace ConfigFolders
