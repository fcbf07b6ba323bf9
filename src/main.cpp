#include "meter/Meter.h"
#include "platform/BatteryStatus.h"
#include "platform/PlatformFactory.h"
#include "platform/Session.h"
#include "platform/TrayIcon.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Session::preferX11();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dimmerling"));
    // The gauge hides itself when full; closing a dialog then must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    Session::quitOnTerminationSignals();

    const auto window = createWindowServices();
    const auto battery = createBatteryStatus();
    const auto tray = createTrayIcon();
    Meter meter(*window, *battery, *tray);
    meter.Form_Load();
    meter.show();
    return QApplication::exec();
}
