#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The text of a private-profile (INI) file. Section and key names match
// without regard to ASCII case and with blanks trimmed; values compare
// exactly. Lines starting with ';' or '#' are comments. A change touches one
// line (or appends one key, or one section) and leaves every other byte as
// it was, which is why this is not QSettings: it drops comments and
// reorders keys.
namespace IniText {

// The value of key in section; empty when the section or the key is missing.
QByteArray valueIn(const QByteArray &content, const QByteArray &section, const QByteArray &key);

// Replaces the first key of that name in the section, or appends the key at
// the end of the section, or appends the section at the end of the text.
// Returns content unchanged when the names or the value are not storable.
QByteArray withValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value);

// False for names that would read back as something else (a comment, a
// header, a different key or section) and for values with a line break.
bool isStorable(QByteArrayView section, QByteArrayView key, QByteArrayView value);

} // namespace IniText
