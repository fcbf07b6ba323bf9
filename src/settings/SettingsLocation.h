#pragma once

#include <QString>

// Which settings file this user's gauge reads and writes, and where a
// missing one starts from. Chosen once, at start-up.
namespace SettingsLocation {

// Beside the program wherever its folder may keep settings (a build, the
// per-user install, an unpacked tarball, an administrator running an /opt
// copy), else dimmerling/settings.ini in the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), one for each user of a shared
// install.
QString choose(const QString &applicationFolder);

// Makes the file at path when it is missing, folder first: beside the
// program from the built-in values; for a user's own file, a copy of every
// byte of the first readable of the file beside the program, the system
// folders' dimmerling/settings.ini and the built-in values. Returns false
// when it was missing and could not be made; then nothing is left behind
// and one line on standard error says why.
bool ensureExists(const QString &path);

// The file whose values serve while the settings file is missing or cannot
// be read: what a user's own file starts from (see ensureExists()), else
// the built-in values.
QString fallback();

// How messages name the values of file: "the built-in settings" or "the
// settings in <file>".
QString valuesOf(const QString &file);

} // namespace SettingsLocation
