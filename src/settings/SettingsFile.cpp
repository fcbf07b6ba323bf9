#include "SettingsFile.h"

#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The profile service's buffer, as the settings readers have always used it.
constexpr int ReadBufferSize = 255;

} // namespace

QString SettingsFile::path(const QString &applicationFolder)
{
    return applicationFolder + QLatin1Char('/') + QStringLiteral("settings.ini");
}

bool SettingsFile::ensureExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return true;
    // A link to a file that is not there (an unmounted folder, say) is the
    // user's: not written through, and the shipped values serve this run.
    if (info.isSymLink())
        return false;
    QFile shipped(Default);
    if (!shipped.open(QIODevice::ReadOnly))
        return false;
    // Through a temporary file, so a crash never leaves a half-written file.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(shipped.readAll()) >= 0 && file.commit();
}

QString ReadIni(const QString &Filename, const QString &Section, const QString &Key)
{
    return QString::fromLocal8Bit(ProfileFile::readString(Filename, Section.toLocal8Bit(),
                                                          Key.toLocal8Bit(), ReadBufferSize));
}

bool INIWrite(const QString &sSection, const QString &sKeyName, const QString &sNewString,
              const QString &sINIFileName)
{
    return ProfileFile::writeString(sINIFileName, sSection.toLocal8Bit(), sKeyName.toLocal8Bit(),
                                    sNewString.toLocal8Bit());
}
