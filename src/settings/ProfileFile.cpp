#include "settings/ProfileFile.h"

#include "common/Logging.h"
#include "platform/AtomicFile.h"
#include "platform/ConfigFolders.h"
#include "settings/IniText.h"

#include <QFile>
#include <QFileInfo>

namespace ProfileFile {

QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key,
                      int bufferSize)
{
    // Only regular files (and the built-in one): opening a FIFO or a device
    // could block or never end.
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
    // A missing file reads as empty; anything else must be a readable
    // regular file.
    const bool exists = QFileInfo::exists(path);
    QByteArray content;
    if (exists) {
        const QString reason = ConfigFolders::readRegularFile(path, &content);
        if (!reason.isEmpty()) {
            qCInfo(lcSettings, "cannot save %s: %s", qPrintable(path), qPrintable(reason));
            return false;
        }
    }
    const QByteArray updated = IniText::withValue(content, section, key, value);
    if (updated == content && exists)
        return true;
    if (!AtomicFile::replace(path, updated))
        return false;
    qCInfo(lcSettings, "saved %s=%s in %s", key.constData(), value.constData(), qPrintable(path));
    return true;
}

} // namespace ProfileFile
