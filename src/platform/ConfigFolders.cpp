#include "platform/ConfigFolders.h"

#include "common/Logging.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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

QString ConfigFolders::whyNotForSettings(const QString &folder)
{
    if (folder.isEmpty())
        return QStringLiteral("the program's folder is not known");
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (clean == QLatin1String("/usr") || clean.startsWith(QLatin1String("/usr/")))
        return QStringLiteral("the program's folder %1 is a system folder, which keeps no settings").arg(clean);
    if (::access(QFile::encodeName(clean).constData(), W_OK) != 0)
        return QStringLiteral("the program's folder %1 cannot be written: %2").arg(clean, systemError());
    return {};
}

QStringList ConfigFolders::systemFolders()
{
    QStringList folders;
    const QString listed = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString &folder : listed.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders << QDir::cleanPath(folder);
        else
            qCInfo(lcSettings, "XDG_CONFIG_DIRS names a relative folder (%s): ignored", qPrintable(folder));
    }
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    return folders;
}

QString ConfigFolders::readRegularFile(const QString &path, QByteArray *content)
{
    // Non-blocking, so a pipe or a device in the file's place is only looked at.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle < 0)
        return systemError();
    struct stat status = {};
    QString reason;
    if (::fstat(handle, &status) != 0)
        reason = systemError();
    else if (!S_ISREG(status.st_mode))
        reason = QString::fromLatin1(kindOf(status.st_mode));
    if (!reason.isEmpty()) {
        ::close(handle);
        return reason;
    }
    QFile file;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return file.errorString();
    }
    *content = file.readAll();
    return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

QString ConfigFolders::whyUnreadable(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QString() : systemError();
    if (!S_ISREG(status.st_mode))
        return QString::fromLatin1(kindOf(status.st_mode));
    // Never blocks, should a pipe have taken the file's place meanwhile.
    const int file = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return systemError();
    ::close(file);
    return {};
}

QString ConfigFolders::makeFolder(const QString &folder)
{
    const QByteArray name = QFile::encodeName(QDir::cleanPath(QDir(folder).absolutePath()));
    // From the top down; the folders already there stay as they are.
    for (qsizetype slash = name.indexOf('/', 1); slash >= 0; slash = name.indexOf('/', slash + 1)) {
        if (::mkdir(name.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return systemError();
    }
    if (::mkdir(name.constData(), 0700) == 0)
        return {};
    if (errno != EEXIST)
        return systemError();
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return systemError();
    if (S_ISDIR(status.st_mode))
        return {};
    return QString::fromLatin1(S_ISREG(status.st_mode) ? "it is a file" : kindOf(status.st_mode));
}
