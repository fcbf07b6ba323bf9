#include "platform/SystemBattery.h"

#include "platform/UPowerNames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

SystemBattery::SystemBattery(QString sysfsRoot, int startWaitMs, QObject *parent)
    : QObject(parent),
      m_sysfs(std::move(sysfsRoot)),
      m_watcher(QLatin1String(UPowerNames::service), QDBusConnection::systemBus(),
                QDBusServiceWatcher::WatchForOwnerChange),
      m_upower(QDBusConnection::systemBus())
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                onOwnerChanged(newOwner);
            });
    waitForFirstAnswer(startWaitMs);
}

qint16 SystemBattery::charge()
{
    return servesUPower() ? m_upower.charge() : m_sysfs.charge();
}

qint16 SystemBattery::acStatus()
{
    return servesUPower() ? m_upower.acStatus() : m_sysfs.acStatus();
}

bool SystemBattery::servesUPower() const
{
    return m_upower.hasAnswered();
}

// Values belong to one daemon instance: a new owner (a restart, or a
// hand-over) is asked afresh, and none leaves the kernel's values in charge.
void SystemBattery::onOwnerChanged(const QString &newOwner)
{
    m_upower.forget();
    if (!newOwner.isEmpty())
        m_upower.refresh();
}

// A short wait lets the very first meter tick show UPower's values rather
// than the kernel's, which may differ (UPower combines batteries its own way).
void SystemBattery::waitForFirstAnswer(int ms)
{
    if (ms <= 0 || !m_upower.isRefreshing() || !QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    connect(&m_upower, &UPowerBattery::refreshFinished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
