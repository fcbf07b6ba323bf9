#include "platform/UPowerBattery.h"

#include "common/Logging.h"
#include "platform/UPowerNames.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <optional>

namespace {

// Often enough to take a late UPower soon, seldom enough to cost nothing.
constexpr int retryMs = 2000;

QDBusMessage propertiesCall(const char *path, const char *method)
{
    return QDBusMessage::createMethodCall(QLatin1String(UPowerNames::service),
                                          QLatin1String(path),
                                          QLatin1String(UPowerNames::propertiesInterface),
                                          QLatin1String(method));
}

// UPower sends a double; an integer is a number too, anything else is not.
bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

UPowerBattery::UPowerBattery(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &UPowerBattery::retryIfUnanswered);
    if (!m_bus.isConnected())
        return;
    subscribe(UPowerNames::displayDevicePath,
              SLOT(onDeviceChanged(QString, QVariantMap, QStringList)));
    subscribe(UPowerNames::managerPath, SLOT(onManagerChanged(QString, QVariantMap, QStringList)));
    refresh();
}

qint16 UPowerBattery::charge()
{
    return (m_present && m_percentKnown) ? m_percent : NoBattery;
}

qint16 UPowerBattery::acStatus()
{
    return (m_present && m_onBattery) ? 0 : 1;
}

bool UPowerBattery::hasAnswered() const
{
    return m_deviceKnown && m_managerKnown && (m_percentKnown || !m_present);
}

void UPowerBattery::refresh()
{
    if (!m_bus.isConnected())
        return;
    fetchAll(UPowerNames::displayDevicePath, UPowerNames::deviceInterface, &m_deviceKnown);
    fetchAll(UPowerNames::managerPath, UPowerNames::managerInterface, &m_managerKnown);
}

void UPowerBattery::forget()
{
    ++m_generation;
    m_deviceKnown = false;
    m_managerKnown = false;
    m_percentKnown = false;
    m_retry.stop();
}

void UPowerBattery::onDeviceChanged(const QString &interface, const QVariantMap &changed,
                                    const QStringList &invalidated)
{
    applyChange(UPowerNames::displayDevicePath, UPowerNames::deviceInterface, interface, changed,
                invalidated);
}

void UPowerBattery::onManagerChanged(const QString &interface, const QVariantMap &changed,
                                     const QStringList &invalidated)
{
    applyChange(UPowerNames::managerPath, UPowerNames::managerInterface, interface, changed,
                invalidated);
}

// Signals follow the service name, so they resume by themselves when UPower
// comes back under a new owner.
void UPowerBattery::subscribe(const char *path, const char *slot)
{
    m_bus.connect(QLatin1String(UPowerNames::service), QLatin1String(path),
                  QLatin1String(UPowerNames::propertiesInterface),
                  QLatin1String(UPowerNames::propertiesChangedSignal), this, slot);
}

void UPowerBattery::fetchAll(const char *path, const char *interface, bool *known)
{
    QDBusMessage call = propertiesCall(path, UPowerNames::getAllMethod);
    call << QLatin1String(interface);
    send(call, [this, known](const QDBusMessage &reply) {
        apply(qdbus_cast<QVariantMap>(reply.arguments().value(0)));
        *known = true;
        if (hasAnswered())
            qCInfo(lcBattery) << "UPower answered";
    });
}

void UPowerBattery::fetch(const char *path, const char *interface, const QString &property)
{
    QDBusMessage call = propertiesCall(path, UPowerNames::getMethod);
    call << QLatin1String(interface) << property;
    send(call, [this, property](const QDBusMessage &reply) {
        const QVariant value = qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant();
        apply({{property, value}});
    });
}

void UPowerBattery::send(const QDBusMessage &call, const ReplyHandler &onReply)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation, onReply](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                if (generation == m_generation)
                    handleReply(finished->reply(), onReply);
            });
}

// Errors are tolerated: the caller keeps its older values, or the sysfs
// fallback when there are none. Without UPower or without a bus, the owner's
// watcher brings the source back; any other failure may be a daemon that is
// still starting, so it is asked again.
void UPowerBattery::handleReply(const QDBusMessage &reply, const ReplyHandler &onReply)
{
    if (reply.type() == QDBusMessage::ReplyMessage) {
        onReply(reply);
        return;
    }
    qCInfo(lcBattery) << "UPower did not answer:" << reply.errorName() << reply.errorMessage();
    const QDBusError::ErrorType error = QDBusError(reply).type();
    if (error != QDBusError::ServiceUnknown && error != QDBusError::Disconnected)
        m_retry.start();
}

void UPowerBattery::retryIfUnanswered()
{
    if (!hasAnswered())
        refresh();
}

void UPowerBattery::applyChange(const char *path, const char *expectedInterface,
                                const QString &interface, const QVariantMap &changed,
                                const QStringList &invalidated)
{
    if (interface != QLatin1String(expectedInterface))
        return;
    apply(changed);
    for (const QString &property : invalidated) {
        if (property == QLatin1String(UPowerNames::percentageProperty)
            || property == QLatin1String(UPowerNames::isPresentProperty)
            || property == QLatin1String(UPowerNames::onBatteryProperty))
            fetch(path, expectedInterface, property);
    }
}

void UPowerBattery::apply(const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key() == QLatin1String(UPowerNames::percentageProperty))
            applyPercentage(it.value());
        else if (it.key() == QLatin1String(UPowerNames::isPresentProperty))
            m_present = it.value().toBool();
        else if (it.key() == QLatin1String(UPowerNames::onBatteryProperty))
            m_onBattery = it.value().toBool();
    }
}

// A percentage that is no number, or outside 0..100, is no reading: the last
// good one stays (with none yet, hasAnswered() stays false and the caller
// serves the kernel's).
void UPowerBattery::applyPercentage(const QVariant &value)
{
    const std::optional<qint16> percent = isNumber(value) && isPercent(value.toDouble())
        ? toPercent(value.toDouble())
        : std::nullopt;
    if (percent) {
        m_percent = *percent;
        m_percentKnown = true;
    } else if (!m_noNumberLogged) {
        m_noNumberLogged = true;
        qCInfo(lcBattery) << "Ignoring UPower's percentage, which is no number in 0..100 (said once):"
                          << value;
    }
}
