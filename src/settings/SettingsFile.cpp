#include "SettingsFile.h"

#include "common/Logging.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The profile service's buffer, as the settings readers have always used it.
constexpr int ReadBufferSize = 255;

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

// Why the settings at path cannot be read: empty when they can, or when
// there is nothing there at all (a missing file, or a link to one).
QString unreadableBecause(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return errno == ENOENT ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return QString::fromLatin1(kindOf(status.st_mode));
    // Never blocks, should a pipe have taken the file's place meanwhile.
    const int file = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(file);
    return {};
}

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
    // Through a temporary file, so neither a crash nor a full disk leaves
    // a half-written or empty file behind.
    const bool written = ProfileFile::replaceFile(path, shipped.readAll());
    qCInfo(lcSettings, "%s the shipped settings to %s", written ? "wrote" : "could not write", qPrintable(path));
    return written;
}

QString SettingsFile::readFrom(const QString &path)
{
    const QString reason = unreadableBecause(path);
    if (reason.isEmpty() && QFileInfo(path).isFile())
        return path;
    if (!reason.isEmpty()) {
        // Once per file and reason, however often the settings are read.
        static QSet<QString> told;
        const QString line = QStringLiteral("dimmerling: cannot read the settings file %1: %2; "
                                            "using the shipped settings and leaving the file as it is")
                                 .arg(path, reason);
        if (!told.contains(line)) {
            told.insert(line);
            std::fprintf(stderr, "%s\n", qPrintable(line));
            std::fflush(stderr);
        }
    } else {
        qCInfo(lcSettings, "no settings file at %s: using the shipped settings", qPrintable(path));
    }
    return Default;
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
