#include "common/Program.h"
#include "meter/Meter.h"
#include "platform/PlatformFactory.h"
#include "platform/Session.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    Session::preferX11();
    if (!SingleInstance::claim()) {
        std::fprintf(stderr, "dimmerling: already running on display %s; not starting a second gauge\n",
                     qPrintable(SingleInstance::displayName()));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(Program::Name);
    // Wayland and the task managers find the menu entry and its icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Dimmerling"));
    // The gauge hides itself when full; closing a dialog then must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    Session::quitOnTerminationSignals();
    Session::reportWaylandLimits();

    const SystemPlatform system;
    Meter meter(system.platform());
    meter.Form_Load();
    meter.show();
    return QApplication::exec();
}
