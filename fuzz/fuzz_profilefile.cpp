// libFuzzer target for the settings-file layer. The input is a settings file
// as a user might have edited it; its last bytes also choose which key to
// write. Every read must be sane, the written key must read back, and every
// other line must stay as it was, in memory and through a real file.

#include "settings/ProfileFile.h"
#include "settings/IniText.h"
#include "settings/SettingsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QByteArray byteOrderMark("\xEF\xBB\xBF");

// A line's text and the line ending after it ("\n", "\r\n" or none).
struct Line
{
    QByteArray text;
    QByteArray ending;
    bool operator==(const Line &other) const { return text == other.text && ending == other.ending; }
};

struct Name
{
    QByteArray section;
    QByteArray key;
};

[[noreturn]] void fail(const char *what, const QByteArray &detail = {})
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.toPercentEncoding().constData());
    std::abort();
}

void check(bool condition, const char *what, const QByteArray &detail = {})
{
    if (!condition)
        fail(what, detail);
}

// The rules for blanks and line breaks are written here again on purpose:
// the checks must not trust the code they check.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArray trimmedBlanks(const QByteArray &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

bool hasLineBreak(const QByteArray &text)
{
    return text.contains('\n') || text.contains('\r');
}

QList<Line> linesOf(QByteArray content)
{
    if (content.startsWith(byteOrderMark))
        content.remove(0, byteOrderMark.size());
    QList<Line> lines;
    for (qsizetype at = 0; at < content.size();) {
        const qsizetype newline = content.indexOf('\n', at);
        const qsizetype end = newline < 0 ? content.size() : newline;
        Line line{content.mid(at, end - at), newline < 0 ? QByteArray() : QByteArray("\n")};
        if (newline >= 0 && line.text.endsWith('\r')) {
            line.text.chop(1);
            line.ending = "\r\n";
        }
        lines.append(line);
        at = end + 1;
    }
    return lines;
}

// Every section and key name the file seems to hold, each key under the
// header above it. Rough on purpose: the names only feed the lookups.
QList<Name> namesIn(const QByteArray &content, QList<QByteArray> *sections)
{
    QList<Name> names;
    QByteArray section;
    for (const Line &line : linesOf(content)) {
        const QByteArray text = trimmedBlanks(line.text);
        const qsizetype close = text.indexOf(']');
        if (text.startsWith('[') && close > 0) {
            section = text.mid(1, close - 1);
            sections->append(section);
        } else if (const qsizetype equals = text.indexOf('='); equals > 0) {
            names.append({section, text.left(equals)});
        }
    }
    return names;
}

QByteArray asciiUpper(QByteArray text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return text;
}

void checkRead(const QByteArray &content, const Name &name)
{
    const QByteArray value = IniText::valueIn(content, name.section, name.key);
    // A lone '\r' is text (only '\n' ends a line), so only '\n' is impossible.
    check(!value.contains('\n'), "value holds a line break", value);
    check(value == trimmedBlanks(value), "value not trimmed", value);
    check(content.contains(value), "value not taken from the file", value);
    check(IniText::valueIn(content, asciiUpper(name.section), asciiUpper(name.key)) == value,
          "names not matched without regard to case", name.key);
}

// The last bytes of the input pick among the candidates.
uint8_t choice(const QByteArray &content, qsizetype fromEnd)
{
    return fromEnd < content.size() ? uint8_t(content[content.size() - 1 - fromEnd]) : 0;
}

template<typename T>
const T &pick(const QList<T> &candidates, uint8_t byte)
{
    return candidates[byte % candidates.size()];
}

bool isStorable(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QByteArray name = trimmedBlanks(key);
    if (name.isEmpty() || name.contains('=') || name.startsWith(';') || name.startsWith('#')
        || name.startsWith('['))
        return false;
    return !section.contains(']') && !hasLineBreak(section) && !hasLineBreak(key)
        && !hasLineBreak(value);
}

// Lines before and after the change must be identical; between them the old
// file loses at most the one line replaced (or the last line's missing line
// ending), and the new file gains at most a header and a key.
void checkOtherLinesKept(const QByteArray &before, const QByteArray &after)
{
    check(before.startsWith(byteOrderMark) == after.startsWith(byteOrderMark), "byte-order mark");
    if (before == after)
        return;
    const QList<Line> old = linesOf(before);
    const QList<Line> now = linesOf(after);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix
           && old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const qsizetype removed = old.size() - prefix - suffix;
    const qsizetype added = now.size() - prefix - suffix;
    if (removed == 1 && added == 1) {
        check(now[prefix].ending == old[prefix].ending, "line ending of the key changed", after);
    } else if (removed == 1 && suffix == 0 && old[prefix].ending.isEmpty()) {
        // Its bytes stay; a '\r' at its end may now be part of a "\r\n".
        check((now[prefix].text + now[prefix].ending).startsWith(old[prefix].text)
                  && !now[prefix].ending.isEmpty(),
              "last line changed", after);
        check(added >= 2 && added <= 3, "lines added after the last line", after);
    } else {
        check(removed == 0, "more than one line changed", after);
        check(added >= 1 && added <= 2, "lines added", after);
    }
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("settings file unreadable");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        fail("cannot prepare the settings file");
}

// Every save ends with fsync, which costs little only in memory.
QString temporaryFolderTemplate()
{
    const QFileInfo shared(QStringLiteral("/dev/shm"));
    const QString base = shared.isDir() && shared.isWritable() ? shared.filePath() : QDir::tempPath();
    return base + QStringLiteral("/fuzz_profilefile-XXXXXX");
}

const QString &settingsPath()
{
    static QTemporaryDir dir(temporaryFolderTemplate()); // removed when the fuzzer exits
    static const QString path = dir.filePath(QStringLiteral("settings.ini"));
    if (!dir.isValid())
        fail("no temporary folder");
    return path;
}

// The same write through the file layer, and the settings readers on the result.
void checkFileWrite(const QByteArray &content, const Name &target, const QByteArray &value,
                    const QByteArray &expected)
{
    const QString &path = settingsPath();
    writeFile(path, content);
    const bool storable = isStorable(target.section, target.key, value);
    check(ProfileFile::writeString(path, target.section, target.key, value) == storable,
          "writeString result", target.key);
    check(fileContent(path) == expected, "file differs from the write in memory", target.key);
    for (const QString &key : {SettingsFile::MoveMouseOver, SettingsFile::EnableSettings,
                               SettingsFile::EnableTray, SettingsFile::HideWhenFull,
                               SettingsFile::WarnBelow20, SettingsFile::ShowPercentage}) {
        const QByteArray inMemory =
            IniText::valueIn(expected, SettingsFile::Section.toUtf8(), key.toUtf8());
        check(ReadIni(path, SettingsFile::Section, key).toUtf8()
                  == QString::fromUtf8(inMemory.left(254)).toUtf8(),
              "ReadIni differs from the bytes", key.toUtf8());
    }
}

Name chooseTarget(const QByteArray &content, const QList<Name> &names,
                  const QList<QByteArray> &sections)
{
    QList<QByteArray> sectionChoices = sections;
    sectionChoices << SettingsFile::Section.toUtf8() << " powermenu " << "Added";
    const QByteArray section = pick(sectionChoices, choice(content, 0));
    QList<QByteArray> keyChoices{SettingsFile::ShowPercentage.toUtf8(), "\tWarnBelow20 ", "Added"};
    for (const Name &name : names) {
        if (name.section == section)
            keyChoices.append(name.key);
    }
    return {section, pick(keyChoices, choice(content, 1))};
}

QByteArray chooseValue(const QByteArray &content)
{
    const uint8_t byte = choice(content, 2);
    // A piece of the input itself, which may hold anything.
    const QByteArray piece = content.mid(byte * content.size() / 256, byte % 24);
    const QList<QByteArray> values{"0", "1", "", "  padded\t", "a=b;#[c]", piece};
    return pick(values, byte / 7);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> sections;
    const QList<Name> names = namesIn(content, &sections);
    for (const Name &name : names)
        checkRead(content, name);

    const Name target = chooseTarget(content, names, sections);
    const QByteArray value = chooseValue(content);
    const QByteArray updated = IniText::withValue(content, target.section, target.key, value);
    if (isStorable(target.section, target.key, value)) {
        check(IniText::valueIn(updated, target.section, target.key) == trimmedBlanks(value),
              "written key does not read back", target.key);
        checkOtherLinesKept(content, updated);
    } else {
        check(updated == content, "refused write changed the file", target.key);
    }
    checkFileWrite(content, target, value, updated);
    return 0;
}
