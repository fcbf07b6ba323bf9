#pragma once

#include <QByteArray>
#include <QString>

// Private-profile (INI) files on disk: one value read from, or written into,
// the file's bytes (see IniText for the text rules).
namespace ProfileFile {

// The value of key in section, cut to bufferSize - 1 bytes; empty when the
// file, the section or the key is missing or bufferSize is below 1.
QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key,
                      int bufferSize);

// Writes the value into the file (see IniText::withValue) through
// AtomicFile::replace: the old or the new content, except where the file
// must be written in place (see there). Returns false when it could not be
// written.
bool writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);

} // namespace ProfileFile
