#include "platform/battery/SysfsBattery.h"

#include "common/Logging.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

// An amount left and the amount when full, in the same unit (µWh or µAh).
struct Level
{
    double now = 0;
    double full = 0;
};

// What one battery reports; each part is set only when it reads sanely.
struct BatteryReading
{
    std::optional<Level> energy;
    std::optional<Level> charge;
    std::optional<double> capacity;
    bool capacityOutOfRange = false; // a number, but outside 0..100

    // Charge in percent from the most precise source, unclamped.
    std::optional<double> percent() const
    {
        if (energy)
            return 100.0 * energy->now / energy->full;
        if (charge)
            return 100.0 * charge->now / charge->full;
        return capacity;
    }
};

// The trimmed text of a small attribute file; nothing when the file is
// missing, unreadable (it may vanish mid-scan) or too long to be an attribute.
std::optional<QByteArray> readAttribute(const QByteArray &dir, const char *name)
{
    const QByteArray path = dir + '/' + name;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[64];
    ssize_t length;
    do {
        length = ::read(fd, buffer, sizeof buffer);
    } while (length < 0 && errno == EINTR);
    ::close(fd);
    if (length < 0 || length == ssize_t(sizeof buffer))
        return std::nullopt;
    return QByteArray(buffer, int(length)).trimmed();
}

std::optional<qint64> readNumber(const QByteArray &dir, const char *name)
{
    const std::optional<QByteArray> text = readAttribute(dir, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text->toLongLong(&ok);
    // Qt's parsing stops at a NUL byte; such a value is not a number.
    if (!ok || text->contains('\0'))
        return std::nullopt;
    return value;
}

// A (now, full) pair, usable only with a positive full and a non-negative now.
std::optional<Level> readLevel(const QByteArray &dir, const char *nowName, const char *fullName)
{
    const std::optional<qint64> now = readNumber(dir, nowName);
    const std::optional<qint64> full = readNumber(dir, fullName);
    if (!now || !full || *now < 0 || *full <= 0)
        return std::nullopt;
    return Level{double(*now), double(*full)};
}

BatteryReading readBattery(const QByteArray &dir)
{
    BatteryReading reading;
    reading.energy = readLevel(dir, SysfsPaths::energyNowAttribute, SysfsPaths::energyFullAttribute);
    reading.charge = readLevel(dir, SysfsPaths::chargeNowAttribute, SysfsPaths::chargeFullAttribute);
    if (const std::optional<qint64> capacity = readNumber(dir, SysfsPaths::capacityAttribute)) {
        if (BatteryStatus::isPercent(double(*capacity)))
            reading.capacity = double(*capacity);
        else
            reading.capacityOutOfRange = true;
    }
    return reading;
}

// Peripheral batteries and batteries reported as absent do not power the machine.
bool isSystemBattery(const QByteArray &dir)
{
    if (readAttribute(dir, SysfsPaths::scopeAttribute) == QByteArray(SysfsPaths::deviceScope))
        return false;
    return readNumber(dir, SysfsPaths::presentAttribute) != qint64(0);
}

bool isExternalPowerType(const QByteArray &type)
{
    for (const char *name : SysfsPaths::externalPowerTypes) {
        if (type == name)
            return true;
    }
    return false;
}

// USB supplies report 2 for a programmable online port, so any positive value counts.
bool isOnline(const QByteArray &dir)
{
    const std::optional<qint64> online = readNumber(dir, SysfsPaths::onlineAttribute);
    return online && *online > 0;
}

double ratioOfSums(const QList<BatteryReading> &batteries, std::optional<Level> BatteryReading::*source)
{
    double now = 0;
    double full = 0;
    for (const BatteryReading &battery : batteries) {
        now += (battery.*source)->now;
        full += (battery.*source)->full;
    }
    return 100.0 * now / full;
}

bool allHave(const QList<BatteryReading> &batteries, std::optional<Level> BatteryReading::*source)
{
    for (const BatteryReading &battery : batteries) {
        if (!(battery.*source))
            return false;
    }
    return true;
}

// Weighs batteries by their size when they all report it the same way, else
// takes the plain mean of their percentages. batteries must not be empty.
double combinedPercent(const QList<BatteryReading> &batteries)
{
    if (allHave(batteries, &BatteryReading::energy))
        return ratioOfSums(batteries, &BatteryReading::energy);
    if (allHave(batteries, &BatteryReading::charge))
        return ratioOfSums(batteries, &BatteryReading::charge);
    double sum = 0;
    for (const BatteryReading &battery : batteries)
        sum += *battery.percent();
    return sum / batteries.size();
}

qint16 chargeOf(const QList<BatteryReading> &batteries)
{
    if (batteries.isEmpty())
        return BatteryStatus::NoBattery;
    return BatteryStatus::toPercent(combinedPercent(batteries)).value_or(BatteryStatus::NoBattery);
}

} // namespace

SysfsBattery::SysfsBattery(QString root, int maxAgeMs)
    : m_root(std::move(root)), m_maxAgeMs(qMax(0, maxAgeMs))
{
}

qint16 SysfsBattery::charge()
{
    refreshIfStale();
    return m_charge;
}

qint16 SysfsBattery::acStatus()
{
    refreshIfStale();
    return m_acStatus;
}

void SysfsBattery::refreshIfStale()
{
    if (m_maxAgeMs > 0 && m_lastScan.isValid() && !m_lastScan.hasExpired(m_maxAgeMs))
        return;
    scan();
    m_lastScan.start();
}

void SysfsBattery::scan()
{
    QList<BatteryReading> batteries;
    QStringList found;
    QStringList outOfRange; // batteries whose only reading is no percentage
    bool online = false;
    const QByteArray root = QFile::encodeName(m_root);
    // Entries are symbolic links to folders, so list everything and let the
    // type attribute decide what is a supply.
    const QStringList names = QDir(m_root).entryList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : names) {
        const QByteArray dir = root + '/' + QFile::encodeName(name);
        const std::optional<QByteArray> type = readAttribute(dir, SysfsPaths::typeAttribute);
        if (!type)
            continue;
        if (*type == SysfsPaths::batteryType) {
            if (!isSystemBattery(dir))
                continue;
            const BatteryReading reading = readBattery(dir);
            if (reading.percent()) {
                batteries.append(reading);
                found.append(name);
            } else if (reading.capacityOutOfRange) {
                outOfRange.append(name);
            }
        } else if (isExternalPowerType(*type)) {
            online = online || isOnline(dir);
        }
    }
    // Like a value that is no number, no reading: the other batteries serve,
    // and with none the last charge stays.
    if (!outOfRange.isEmpty())
        ignoreOutOfRange(outOfRange);
    if (!batteries.isEmpty() || outOfRange.isEmpty())
        m_charge = chargeOf(batteries);
    m_acStatus = ((batteries.isEmpty() && outOfRange.isEmpty()) || online) ? 1 : 0;
    if (m_found != found) {
        m_found = found;
        qCInfo(lcBattery) << "The kernel's power supplies in" << m_root << "give the batteries" << found;
    }
}

void SysfsBattery::ignoreOutOfRange(const QStringList &batteries)
{
    if (m_outOfRangeLogged)
        return;
    m_outOfRangeLogged = true;
    qCInfo(lcBattery) << "Ignoring the capacity outside 0..100 of" << batteries << "(said once)";
}
