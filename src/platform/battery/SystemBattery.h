#pragma once

#include "platform/BatteryStatus.h"
#include "platform/battery/SysfsBattery.h"
#include "platform/battery/SysfsPaths.h"
#include "platform/battery/UPowerBattery.h"

#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// The machine's battery status: UPower's while it is on the system bus and
// has answered, the kernel's power-supply folders otherwise (no bus, no
// daemon, or the daemon restarting). A lost bus is reconnected when it is back.
class SystemBattery : public QObject, public BatteryStatus
{
    Q_OBJECT

public:
    // sysfsRoot: the power-supply folder read until UPower has answered, and
    // whenever it cannot.
    explicit SystemBattery(QString sysfsRoot = SysfsPaths::powerSupplyRoot(), QObject *parent = nullptr);
    ~SystemBattery() override;

    // Charge in percent (0..100, or NoBattery).
    qint16 charge() override;
    // 1 on external power, else 0.
    qint16 acStatus() override;

    // True while the values come from UPower.
    bool servesUPower() const;

private slots:
    void onBusLost();

private:
    void follow(QDBusConnection bus);
    void reconnect();
    void onOwnerChanged(const QString &newOwner);

    SysfsBattery m_sysfs;
    // One of each per connection, so nothing of a dead one is left over.
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    std::unique_ptr<UPowerBattery> m_upower;
    // This source's own connection once the process's default one has died.
    const QString m_busName;
    QTimer m_reconnect; // runs only while there is no bus
};
