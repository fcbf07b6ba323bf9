#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Held open until the process ends: closing it would release the lock.
int lockFile = -1;

bool onWayland()
{
    // Session::preferX11() has already chosen xcb where XWayland exists.
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    return platform.startsWith(QLatin1String("wayland"))
        || (platform.isEmpty() && !qEnvironmentVariableIsSet("DISPLAY"));
}

// ":0.1" is display ":0". Plain string work: a regular expression here
// would load PCRE into every gauge just for this.
QString withoutScreenNumber(const QString &display)
{
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = display.lastIndexOf(QLatin1Char('.'));
    if (colon < 0 || dot < colon + 2)
        return display;
    bool numbers = true;
    for (qsizetype i = colon + 1; i < display.size(); ++i)
        numbers = numbers && (i == dot || display.at(i).isDigit());
    return numbers ? display.left(dot) : display;
}

// "unix:0" and "unix/:0" name the local socket that ":0" names.
QString withoutLocalHost(const QString &display)
{
    for (const QLatin1String host : {QLatin1String("unix/:"), QLatin1String("unix:")}) {
        if (display.startsWith(host))
            return display.mid(host.size() - 1);
    }
    return display;
}

} // namespace

QString SingleInstance::displayName()
{
    const QString x11 = qEnvironmentVariable("DISPLAY");
    QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty() && (onWayland() || x11.isEmpty()))
        return wayland;
    if (!x11.isEmpty())
        return withoutScreenNumber(withoutLocalHost(x11));
    return QStringLiteral("none");
}

QString SingleInstance::lockPath()
{
    QString name = displayName();
    // A Wayland display may be a full socket path.
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("dimmerling-%1.lock").arg(name));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("dimmerling-%1-%2.lock").arg(::getuid()).arg(name));
}

bool SingleInstance::claim()
{
    if (lockFile >= 0)
        return true;
    const QByteArray path = QFile::encodeName(lockPath());
    const int file = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0)
        return true;
    // In the shared temporary folder another user may have made the file
    // first, and could hold it to keep the gauge from ever starting.
    struct stat status = {};
    if (::fstat(file, &status) != 0 || status.st_uid != ::getuid() || !S_ISREG(status.st_mode)) {
        ::close(file);
        std::fprintf(stderr,
                     "dimmerling: the lock file %s is not a file of this user's; "
                     "starting without the check for a gauge already running\n",
                     path.constData());
        return true;
    }
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(file);
        return !taken;
    }
    lockFile = file;
    return true;
}
