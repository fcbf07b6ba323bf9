#include "QtApplication.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

QString QtApplication::folder() const
{
    // The kernel's record, as bytes: Qt gives no folder at all for a name
    // the locale cannot decode.
    QByteArray executable(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", executable.data(), size_t(executable.size()));
    if (length <= 0 || length >= executable.size())
        return QCoreApplication::applicationDirPath();
    executable.truncate(length);
    const QByteArray bytes = executable.left(qMax(executable.lastIndexOf('/'), qsizetype(1)));
    // A name that does not come back to the same bytes would name another
    // folder: then the folder is not known.
    const QString folder = QFile::decodeName(bytes);
    return QFile::encodeName(folder) == bytes ? folder : QString();
}

std::optional<double> QtApplication::fileSize(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return double(info.size());
}

void QtApplication::endProgram()
{
    // Leaves every event loop, a menu's too.
    QCoreApplication::exit(0);
}
