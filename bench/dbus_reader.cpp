// Reads the system battery source as the meter does, seven times every
// 100 ms, for the given number of seconds. Two bus-name queries bracket the
// reading, so that bench/dbus-messages.sh can count what this program's
// connection sends in between.

#include "platform/battery/SystemBattery.h"
#include "platform/battery/UPowerNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int readsPerTick = 7;
constexpr int tickMs = 100;

// The first values may take a moment (or never come, without UPower).
void waitForUPower(const SystemBattery &battery, int ms)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (battery.servesUPower())
            loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A message of our own that the counting script recognises.
void sendMarker()
{
    QDBusConnection::systemBus().interface()->isServiceRegistered(
        QLatin1String(UPowerNames::service));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    SystemBattery battery;
    waitForUPower(battery, 5000);
    std::printf("connection %s\nsource %s\n",
                qPrintable(QDBusConnection::systemBus().baseService()),
                battery.servesUPower() ? "UPower" : "sysfs");
    std::fflush(stdout);

    sendMarker();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        for (int read = 0; read < readsPerTick; ++read) {
            battery.charge();
            battery.acStatus();
        }
        if (++ticks >= seconds * 1000 / tickMs) {
            sendMarker();
            app.quit();
        }
    });
    tick.start(tickMs);
    app.exec();
    std::printf("ticks %d, reads %d, charge %d, ac %d\n", ticks, ticks * readsPerTick,
                battery.charge(), battery.acStatus());
    return 0;
}
