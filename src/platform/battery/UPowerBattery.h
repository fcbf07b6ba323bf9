#pragma once

#include "platform/BatteryStatus.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <functional>

class QDBusMessage;

// Battery status kept from UPower's change signals, so a read costs no bus
// traffic. Values are fetched without blocking; until UPower has answered
// (see hasAnswered()) the reads report no battery. A fetch that UPower fails
// while it is on the bus (late, or its device not there yet) is asked again.
class UPowerBattery : public QObject, public BatteryStatus
{
    Q_OBJECT

public:
    // bus: the connection UPower lives on; on a disconnected one the source
    // never answers and never fails loudly.
    explicit UPowerBattery(const QDBusConnection &bus = QDBusConnection::systemBus(),
                           QObject *parent = nullptr);

    // Display device's charge in percent (0..100), or NoBattery (also while
    // UPower has given no number for it).
    qint16 charge() override;
    // 1 on external power or without a battery, 0 on battery.
    qint16 acStatus() override;

    // True once the display device and the daemon have both given their values,
    // a present battery's charge being a number.
    bool hasAnswered() const;
    // Asks for every value again; returns at once.
    void refresh();
    // Drops the values and any replies still on their way (UPower left the bus).
    void forget();

private slots:
    void onDeviceChanged(const QString &interface, const QVariantMap &changed,
                         const QStringList &invalidated);
    void onManagerChanged(const QString &interface, const QVariantMap &changed,
                          const QStringList &invalidated);

private:
    using ReplyHandler = std::function<void(const QDBusMessage &reply)>;

    void subscribe(const char *path, const char *slot);
    void fetchAll(const char *path, const char *interface, bool *known);
    void fetch(const char *path, const char *interface, const QString &property);
    void send(const QDBusMessage &call, const ReplyHandler &onReply);
    void handleReply(const QDBusMessage &reply, const ReplyHandler &onReply);
    void retryIfUnanswered();
    void applyChange(const char *path, const char *expectedInterface, const QString &interface,
                     const QVariantMap &changed, const QStringList &invalidated);
    void apply(const QVariantMap &values);
    void applyPercentage(const QVariant &value);

    QDBusConnection m_bus;
    quint64 m_generation = 0; // bumped by forget(): older replies are stale
    bool m_deviceKnown = false;
    bool m_managerKnown = false;
    bool m_percentKnown = false; // a number has come since forget()
    bool m_noNumberLogged = false;
    qint16 m_percent = 0; // rounded once, when UPower reports it
    bool m_present = false;
    bool m_onBattery = false;
    QTimer m_retry;
};
