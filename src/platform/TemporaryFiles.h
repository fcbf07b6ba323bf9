#pragma once

#include <QByteArray>

#include <sys/types.h>

// The temporary files a save writes beside the file it replaces, named
// "<name>.tmp-<random>" (the name cut to fit NAME_MAX; the random part, up
// to seven digits and small letters, holds a digit).
namespace TemporaryFiles {

// The start of every temporary file's name for a file named name.
QByteArray stem(const QByteArray &name);

// A new file in the folder open as folder, never an existing one, made with
// mode (less the umask); its descriptor, or -1 with errno set.
int create(int folder, const QByteArray &stem, mode_t mode, QByteArray *name);

// Removes what a crash during an earlier save left in folder: only this
// user's regular files named as this program names them, a minute old.
void removeStale(int folder, const QByteArray &stem);

} // namespace TemporaryFiles
