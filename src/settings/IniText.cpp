#include "settings/IniText.h"

#include <QByteArrayView>

namespace {

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

// One line as offsets into the file's bytes, so parsing copies nothing.
struct Line
{
    qsizetype begin = 0; // first byte of the text
    qsizetype end = 0;   // end of the text, before the line ending
    qsizetype next = 0;  // first byte of the following line
};

// Blank lines and comments are Nothing; lines with neither a header nor an
// '=' are Other, and still count as the section's content.
enum class Kind { Nothing, Header, Key, Other };

struct Entry
{
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView value;
};

// Where a key is, or where it would go.
struct Location
{
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine; // the key's line, when found
    Line anchor;  // the section's last line that is neither blank nor a comment
    QByteArrayView value;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.sliced(first, last - first);
}

// ASCII only: bytes above 127 belong to whatever code page the file uses.
char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

Line lineAt(QByteArrayView content, qsizetype begin)
{
    const qsizetype newline = content.indexOf('\n', begin);
    if (newline < 0)
        return {begin, content.size(), content.size()};
    const bool crlf = newline > begin && content[newline - 1] == '\r';
    return {begin, crlf ? newline - 1 : newline, newline + 1};
}

Entry classify(QByteArrayView text)
{
    const QByteArrayView line = trimmed(text);
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
        return {Kind::Nothing, {}, {}};
    if (line.startsWith('[')) {
        const qsizetype close = line.indexOf(']');
        if (close < 0)
            return {};
        return {Kind::Header, trimmed(line.sliced(1, close - 1)), {}};
    }
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {};
    return {Kind::Key, trimmed(line.first(equals)), trimmed(line.sliced(equals + 1))};
}

qsizetype bodyStart(QByteArrayView content)
{
    return content.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
}

// Scans only up to the end of the first matching section: later duplicates
// never count, and the rest of the file need not be read.
Location locate(QByteArrayView content, QByteArrayView section, QByteArrayView key)
{
    Location found;
    for (qsizetype at = bodyStart(content); at < content.size();) {
        const Line line = lineAt(content, at);
        at = line.next;
        const Entry entry = classify(content.sliced(line.begin, line.end - line.begin));
        if (entry.kind == Kind::Header) {
            if (found.sectionFound)
                break;
            found.sectionFound = sameName(entry.name, section);
            found.anchor = line;
            continue;
        }
        if (!found.sectionFound || entry.kind == Kind::Nothing)
            continue;
        found.anchor = line;
        if (entry.kind == Kind::Key && sameName(entry.name, key)) {
            found.keyFound = true;
            found.keyLine = line;
            found.value = entry.value;
            break;
        }
    }
    return found;
}

bool hasLineBreak(QByteArrayView text)
{
    return text.contains('\n') || text.contains('\r');
}

// New lines follow the file's first line ending.
QByteArray lineEnding(QByteArrayView content)
{
    const qsizetype newline = content.indexOf('\n');
    return (newline > 0 && content[newline - 1] == '\r') ? QByteArray("\r\n") : QByteArray("\n");
}

QByteArray replaced(const QByteArray &content, const Line &line, const QByteArray &entry)
{
    QByteArray result = content;
    return result.replace(line.begin, line.end - line.begin, entry);
}

QByteArray inserted(const QByteArray &content, const Line &after, const QByteArray &entry)
{
    QByteArray result = content;
    if (after.next == after.end) // last line of a file without a final line ending
        return result.insert(after.end, lineEnding(content) + entry);
    return result.insert(after.next, entry + lineEnding(content));
}

QByteArray appended(const QByteArray &content, QByteArrayView section, const QByteArray &entry)
{
    const QByteArray eol = lineEnding(content);
    QByteArray result = content;
    if (result.size() > bodyStart(content) && !result.endsWith('\n'))
        result += eol;
    return result + '[' + section.toByteArray() + ']' + eol + entry + eol;
}

} // namespace

namespace IniText {

bool isStorable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const QByteArrayView name = trimmed(key);
    if (name.isEmpty() || name.contains('=') || name.startsWith(';') || name.startsWith('#')
        || name.startsWith('['))
        return false;
    return !section.contains(']') && !hasLineBreak(section) && !hasLineBreak(key)
        && !hasLineBreak(value);
}

QByteArray valueIn(const QByteArray &content, const QByteArray &section, const QByteArray &key)
{
    const QByteArrayView name = trimmed(key);
    if (name.isEmpty())
        return {};
    const Location found = locate(content, trimmed(section), name);
    return found.keyFound ? found.value.toByteArray() : QByteArray();
}

QByteArray withValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value)
{
    if (!isStorable(section, key, value))
        return content;
    const QByteArrayView sectionName = trimmed(section);
    const QByteArray entry = trimmed(key).toByteArray() + '=' + value;
    const Location found = locate(content, sectionName, trimmed(key));
    if (found.keyFound)
        return replaced(content, found.keyLine, entry);
    if (found.sectionFound)
        return inserted(content, found.anchor, entry);
    return appended(content, sectionName, entry);
}

} // namespace IniText
