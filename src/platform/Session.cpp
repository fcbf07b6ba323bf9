#include "Session.h"

#include "common/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop does the rest.
void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void Session::preferX11()
{
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

QString Session::displayProblem()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const QByteArray display = qgetenv("DISPLAY");
    // Other platforms (offscreen, vnc, a Wayland compositor) answer for themselves.
    const bool x11 = platform == "xcb" || (platform.isEmpty() && !wayland);
    if (!x11)
        return {};
    if (display.isEmpty())
        return wayland ? QStringLiteral("DISPLAY is not set, but QT_QPA_PLATFORM asks for X11")
                       : QStringLiteral("no display found (DISPLAY and WAYLAND_DISPLAY are not set): "
                                        "the gauge needs a graphical session");
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0)
        return {};
    return QStringLiteral("cannot reach the X11 display '%1'%2: the gauge needs a graphical session")
        .arg(QString::fromLocal8Bit(display),
             error == XCB_CONN_CLOSED_PARSE_ERR ? QStringLiteral(" (not a display name)") : QString());
}

void Session::settleBaseFolders()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isRelativePath(configHome)) {
        qCInfo(lcSettings, "XDG_CONFIG_HOME is not an absolute path (%s): ignored", qPrintable(configHome));
        qunsetenv("XDG_CONFIG_HOME");
    }
    if (!qEnvironmentVariableIsEmpty("HOME"))
        return;
    const passwd *user = ::getpwuid(::getuid());
    if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') {
        qCInfo(lcSettings, "HOME is not set and the password database names no home folder");
        return;
    }
    qCInfo(lcSettings, "HOME is not set: using %s from the password database", user->pw_dir);
    qputenv("HOME", user->pw_dir);
}

void Session::reportWaylandLimits()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    std::fputs("dimmerling: running on Wayland without X11 (XWayland): placement and staying on top "
               "are not available here\n",
               stderr);
}

void Session::quitOnTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
