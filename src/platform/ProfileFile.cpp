#include "platform/ProfileFile.h"

#include "common/Logging.h"
#include "platform/AtomicFile.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Names that would read back as something else (a comment, a header, a
// different key or section) are refused rather than written.
bool isStorable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const QByteArrayView name = trimmed(key);
    if (name.isEmpty() || name.contains('=') || name.startsWith(';') || name.startsWith('#')
        || name.startsWith('['))
        return false;
    return !section.contains(']') && !hasLineBreak(section) && !hasLineBreak(key)
        && !hasLineBreak(value);
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

// Reads the file that is about to be replaced; a missing file reads as empty,
// anything that is not a readable regular file fails.
bool readExisting(const QString &path, QByteArray *content)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    *content = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// What a path that is there but not a regular file is.
const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISFIFO(mode))
        return "it is a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device";
    if (S_ISSOCK(mode))
        return "it is a socket";
    return "it is not a regular file";
}

} // namespace

namespace ProfileFile {

QString whyUnreadable(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return QString::fromLatin1(kindOf(status.st_mode));
    // Never blocks, should a pipe have taken the file's place meanwhile.
    const int file = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(file);
    return {};
}

QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key,
                      int bufferSize)
{
    // Only regular files: opening a FIFO or a device could block or never end.
    if (bufferSize < 1 || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcSettings, "cannot read %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return {};
    }
    return valueIn(file.readAll(), section, key).left(bufferSize - 1);
}

bool writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value)
{
    if (!isStorable(section, key, value))
        return false;
    QByteArray content;
    if (!readExisting(path, &content)) {
        qCInfo(lcSettings, "cannot save %s: it cannot be read as a regular file", qPrintable(path));
        return false;
    }
    const QByteArray updated = withValue(content, section, key, value);
    if (updated == content && QFileInfo::exists(path))
        return true;
    if (!AtomicFile::replace(path, updated))
        return false;
    qCInfo(lcSettings, "saved %s=%s in %s", key.constData(), value.constData(), qPrintable(path));
    return true;
}

bool replaceFile(const QString &path, const QByteArray &content)
{
    return AtomicFile::replace(path, content);
}

QString makeFolder(const QString &folder)
{
    const QByteArray name = QFile::encodeName(QDir::cleanPath(QDir(folder).absolutePath()));
    // From the top down; the folders already there stay as they are.
    for (qsizetype slash = name.indexOf('/', 1); slash >= 0; slash = name.indexOf('/', slash + 1)) {
        if (::mkdir(name.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (::mkdir(name.constData(), 0700) == 0)
        return {};
    if (errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        return {};
    return QString::fromLatin1(S_ISREG(status.st_mode) ? "it is a file" : kindOf(status.st_mode));
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

} // namespace ProfileFile
