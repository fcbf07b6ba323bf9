#include "platform/ProfileFile.h"

#include "common/Logging.h"
#include "platform/AtomicFile.h"
#include "settings/IniText.h"

#include <QFile>
#include <QFileInfo>

namespace {

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

} // namespace

namespace ProfileFile {

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
    return IniText::valueIn(file.readAll(), section, key).left(bufferSize - 1);
}

bool writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value)
{
    if (!IniText::isStorable(section, key, value))
        return false;
    QByteArray content;
    if (!readExisting(path, &content)) {
        qCInfo(lcSettings, "cannot save %s: it cannot be read as a regular file", qPrintable(path));
        return false;
    }
    const QByteArray updated = IniText::withValue(content, section, key, value);
    if (updated == content && QFileInfo::exists(path))
        return true;
    if (!AtomicFile::replace(path, updated))
        return false;
    qCInfo(lcSettings, "saved %s=%s in %s", key.constData(), value.constData(), qPrintable(path));
    return true;
}

} // namespace ProfileFile
