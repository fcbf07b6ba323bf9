#pragma once

#include <QByteArray>
#include <QString>

// Private-profile (INI) files, kept as bytes. Section and key names match
// without regard to ASCII case and with blanks trimmed; values compare
// exactly. Lines starting with ';' or '#' are comments. A write changes one
// line (or appends one key, or one section) and leaves every other byte of
// the file as it was.
namespace ProfileFile {

// The value of key in section, cut to bufferSize - 1 bytes; empty when the
// file, the section or the key is missing or bufferSize is below 1.
QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key,
                      int bufferSize);

// Replaces the first key of that name in the section, or appends the key at
// the end of the section, or appends the section at the end of the file.
// Writes through a temporary file and a rename, so the file is either the old
// or the new content (see AtomicFile::replace).
// Returns false, with the file untouched, when it cannot be written.
bool writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);

// Why the file at path cannot be read as a regular file ("it is a folder",
// or the system's reason); empty when it can, or when nothing is there (a
// missing file or folder, or a link to one).
QString whyUnreadable(const QString &path);

// Replaces the file at path with content (see AtomicFile::replace).
bool replaceFile(const QString &path, const QByteArray &content);

// Makes folder and each missing folder above it, private to this user (the
// XDG base directory rules ask that of the folders a program creates).
// Returns why it could not, or nothing when folder is there.
QString makeFolder(const QString &folder);

// The same two operations on a file's bytes in memory (for tests and fuzzing).
QByteArray valueIn(const QByteArray &content, const QByteArray &section, const QByteArray &key);
QByteArray withValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value);

} // namespace ProfileFile
