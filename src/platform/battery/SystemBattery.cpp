#include "platform/battery/SystemBattery.h"

#include "common/Logging.h"
#include "platform/battery/UPowerNames.h"


namespace {

// A failed connection attempt costs a socket call; the bus is seldom gone long.
constexpr int reconnectMs = 2000;

} // namespace

SystemBattery::SystemBattery(QString sysfsRoot, QObject *parent)
    : QObject(parent),
      m_sysfs(std::move(sysfsRoot)),
      m_busName(QStringLiteral("dimmerling-battery-%1").arg(quintptr(this), 0, 16))
{
    m_reconnect.setInterval(reconnectMs);
    connect(&m_reconnect, &QTimer::timeout, this, &SystemBattery::reconnect);
    follow(QDBusConnection::systemBus());
}

SystemBattery::~SystemBattery()
{
    QDBusConnection::disconnectFromBus(m_busName);
}

qint16 SystemBattery::charge()
{
    return servesUPower() ? m_upower->charge() : m_sysfs.charge();
}

qint16 SystemBattery::acStatus()
{
    return servesUPower() ? m_upower->acStatus() : m_sysfs.acStatus();
}

bool SystemBattery::servesUPower() const
{
    return m_upower->hasAnswered();
}

// The kernel's values serve until a fresh connection gets UPower's again.
void SystemBattery::onBusLost()
{
    qCInfo(lcBattery) << "The system bus went away: reading the kernel's values";
    m_upower->forget();
    m_reconnect.start();
}

// The watcher comes before the first fetch, so a daemon starting meanwhile is
// not missed. (A watcher cannot be moved to a new connection of the same name.)
void SystemBattery::follow(QDBusConnection bus)
{
    m_watcher = std::make_unique<QDBusServiceWatcher>(
        QLatin1String(UPowerNames::service), bus, QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                onOwnerChanged(newOwner);
            });
    m_upower = std::make_unique<UPowerBattery>(bus);
    if (!bus.isConnected()) {
        qCInfo(lcBattery) << "No system bus: reading the kernel's values";
        m_reconnect.start();
        return;
    }
    bus.connect(QString(), QLatin1String(UPowerNames::localPath),
                QLatin1String(UPowerNames::localInterface),
                QLatin1String(UPowerNames::disconnectedSignal), this, SLOT(onBusLost()));
}

// A connection to a bus that died never comes back, so each try opens a new
// one (dropping the name first, or Qt would hand back the dead one).
void SystemBattery::reconnect()
{
    QDBusConnection::disconnectFromBus(m_busName);
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SystemBus, m_busName);
    if (!bus.isConnected())
        return;
    qCInfo(lcBattery) << "The system bus is back";
    m_reconnect.stop();
    follow(bus);
}

// Values belong to one daemon instance: a new owner (a restart, or a
// hand-over) is asked afresh, and none leaves the kernel's values in charge.
void SystemBattery::onOwnerChanged(const QString &newOwner)
{
    m_upower->forget();
    if (newOwner.isEmpty()) {
        qCInfo(lcBattery) << "UPower left the system bus: reading the kernel's values";
        return;
    }
    qCInfo(lcBattery) << "UPower is on the system bus as" << newOwner;
    m_upower->refresh();
}
