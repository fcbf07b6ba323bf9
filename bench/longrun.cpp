// 100,000 ticks of the real meter over a sysfs battery that changes and
// breaks all the time, as the kernel's files may: checks what every tick
// shows and prints the resident memory after 1,000 and after 100,000 ticks.
// Exits 1 at the first tick that shows a wrong reading.

#include "BenchMeter.h"
#include "meter/Gauge.h"
#include "meter/MeterLabel.h"
#include "platform/BatteryStatus.h"
#include "platform/battery/SysfsBattery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>

namespace {

constexpr int Ticks = 100000;
constexpr int EarlyTicks = 1000;
// Each block of ticks: well-formed readings, then malformed charge
// amounts with a good capacity, then nothing usable, then no battery at all.
constexpr int Block = 100;
constexpr int GoodUntil = 70;
constexpr int BadAmountsUntil = 85;
constexpr int UnusableUntil = 93;

// Values a driver, a half-written file or a hand-made test tree may hold,
// none of them a number.
const QList<QByteArray> Unreadable{
    "",    "abc",  "99999999999999999999999", QByteArray(80, '7'), "\xff\xfe",
    "12abc", "1e6", "0x10",                   "  \n",
};

// The real reader, scanned once per tick as the gauge's 50 ms cache does at
// ten ticks a second; a test's ticks come faster than any time-based cache.
class ScanPerTick : public BatteryStatus
{
public:
    explicit ScanPerTick(const QString &root) : m_reader(root, 0) {}

    void scan()
    {
        m_charge = m_reader.charge();
        m_acStatus = m_reader.acStatus();
    }
    qint16 charge() override { return m_charge; }
    qint16 acStatus() override { return m_acStatus; }

private:
    SysfsBattery m_reader;
    qint16 m_charge = NoBattery;
    qint16 m_acStatus = 1;
};

// A power-supply folder like the kernel's: entries are links to device
// folders, attribute files are rewritten in place.
class SupplyTree
{
public:
    SupplyTree()
    {
        QDir base(m_dir.path());
        base.mkpath(QStringLiteral("class"));
        base.mkpath(QStringLiteral("devices/AC"));
        QFile::link(m_dir.filePath(QStringLiteral("devices/AC")), root() + QStringLiteral("/AC"));
        set(QStringLiteral("AC"), "type", "Mains");
    }

    QString root() const { return m_dir.filePath(QStringLiteral("class")); }

    // Rewrites the attribute file when its value changes.
    void set(const QString &device, const char *attribute, const QByteArray &value)
    {
        const QString path = m_dir.filePath(QStringLiteral("devices/") + device + '/' + attribute);
        const auto written = m_written.constFind(path);
        if (written != m_written.cend() && *written == value)
            return;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(value) != value.size())
            qFatal("cannot write %s", qPrintable(path));
        m_written.insert(path, value);
    }

    void addBattery()
    {
        if (m_hasBattery)
            return;
        QDir(m_dir.path()).mkpath(QStringLiteral("devices/BAT0"));
        QFile::link(m_dir.filePath(QStringLiteral("devices/BAT0")), root() + QStringLiteral("/BAT0"));
        set(QStringLiteral("BAT0"), "type", "Battery");
        set(QStringLiteral("BAT0"), "present", "1");
        m_hasBattery = true;
    }

    void removeBattery()
    {
        QFile::remove(root() + QStringLiteral("/BAT0"));
        QDir(m_dir.filePath(QStringLiteral("devices/BAT0"))).removeRecursively();
        m_written.clear();
        m_hasBattery = false;
    }

private:
    // In memory where possible, as the kernel's folder is: on a disk the
    // hundreds of thousands of rewrites would time the disk.
    static QString folderTemplate()
    {
        const QFileInfo shared(QStringLiteral("/dev/shm"));
        const QString base = shared.isDir() && shared.isWritable() ? shared.filePath() : QDir::tempPath();
        return base + QStringLiteral("/dimmerling-longrun-XXXXXX");
    }

    QTemporaryDir m_dir{folderTemplate()};
    bool m_hasBattery = false;
    QHash<QString, QByteArray> m_written;
};

// Resident and peak resident memory in kB, as the kernel reports them.
QByteArray memoryFigures()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "unknown";
    QByteArray figures;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:") || line.startsWith("VmHWM:"))
            figures += line.simplified() + ' ';
    }
    return figures.trimmed();
}

// Writes this tick's battery; returns the charge the gauge should show
// and whether external power counts as on.
std::pair<qint16, bool> changeBattery(SupplyTree &tree, int tick)
{
    const int phase = tick % Block;
    const bool online = tick % 3 == 0;
    tree.set(QStringLiteral("AC"), "online", online ? "1\n" : "0\n");
    if (phase >= UnusableUntil) {
        tree.removeBattery();
        return {BatteryStatus::NoBattery, true};
    }
    tree.addBattery();
    const QString battery = QStringLiteral("BAT0");
    const qint16 percent = qint16((tick * 7) % 101);
    if (phase < GoodUntil) {
        tree.set(battery, "energy_full", "50000000\n");
        tree.set(battery, "energy_now", QByteArray::number(percent * 500000) + '\n');
        tree.set(battery, "capacity", "3\n"); // energy is the more precise source
        return {percent, online};
    }
    const QByteArray &bad = Unreadable[tick % Unreadable.size()];
    if (phase < BadAmountsUntil) {
        // A negative amount is as useless as an unreadable one.
        tree.set(battery, tick % 2 ? "energy_now" : "energy_full", tick % 4 == 1 ? "-5" : bad);
        tree.set(battery, "capacity", QByteArray::number(percent) + '\n');
        return {percent, online};
    }
    tree.set(battery, tick % 2 ? "energy_now" : "energy_full", bad);
    tree.set(battery, "capacity", bad);
    return {BatteryStatus::NoBattery, true};
}

// Empty when the meter shows charge, the power source and hides at full;
// else what it shows instead.
QString wrongShown(const Meter &meter, qint16 charge, bool ac)
{
    const qint16 shown = Gauge::bounded(charge);
    const auto *caption = meter.findChild<MeterLabel *>(QStringLiteral("Label3"));
    const auto *outline = meter.findChild<MeterLabel *>(QStringLiteral("Label1"));
    if (caption->text() == QString::number(shown) + QLatin1Char('%')
        && outline->backColour() == toQColor(ac ? Gauge::LightBlue : Gauge::White)
        && meter.isVisible() != (shown == Gauge::Full))
        return {};
    return QStringLiteral("shows %1, %2, visible %3; wanted %4%, AC %5")
        .arg(caption->text(), outline->backColour().name())
        .arg(meter.isVisible())
        .arg(shown)
        .arg(ac);
}

} // namespace

int main(int argc, char *argv[])
{
    quietOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QFile settings(folder.filePath(QStringLiteral("settings.ini")));
    // Hiding when full makes every battery loss hide and show the window.
    if (!settings.open(QIODevice::WriteOnly)
        || settings.write("[PowerMenu]\nHideWhenFull=1\nWarnBelow20=0\nEnableTray=0\nShowPercentage=1\n") < 0)
        return 2;
    settings.close();
    SupplyTree tree;
    ScanPerTick battery(tree.root());
    BenchMeter bench(folder.path(), battery);
    for (int n = 1; n <= Ticks; ++n) {
        const auto [charge, ac] = changeBattery(tree, n);
        battery.scan();
        bench.tick();
        QCoreApplication::processEvents();
        const QString wrong = wrongShown(bench.meter, charge, ac);
        if (!wrong.isEmpty()) {
            std::fprintf(stderr, "tick %d: %s\n", n, qPrintable(wrong));
            return 1;
        }
        if (n == EarlyTicks || n == Ticks)
            std::printf("after %d ticks: %s\n", n, memoryFigures().constData());
    }
    return 0;
}
