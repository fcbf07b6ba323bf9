#include "FakePlatform.h"
#include "meter/Gauge.h"
#include "meter/Meter.h"
#include "platform/BatteryStatus.h"
#include "platform/SysfsBattery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
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
        return base + QStringLiteral("/tst_longrun-XXXXXX");
    }

    QTemporaryDir m_dir{folderTemplate()};
    bool m_hasBattery = false;
    QHash<QString, QByteArray> m_written;
};

QtMessageHandler testHandler = nullptr;

// The offscreen platform can neither fade nor raise a window and says so at
// every tick; a desktop's can.
void dropOffscreenLimits(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    testHandler(type, context, message);
}

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

} // namespace

class tst_LongRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testHandler = qInstallMessageHandler(dropOffscreenLimits); }
    void init();
    void cleanup();
    void survivesAChangingFaultyBattery();

private:
    // Writes this tick's battery; returns the charge the gauge should show
    // and whether external power counts as on.
    std::pair<qint16, bool> changeBattery(int tick);
    void checkShows(int tick, qint16 charge, bool ac);

    QTemporaryDir m_folder;
    std::unique_ptr<SupplyTree> m_tree;
    FakeDesktop m_desktop;
    FakePrompts m_prompts;
    FakeApplication m_application;
    std::unique_ptr<ScanPerTick> m_battery;
    FakeTrayIcon m_tray;
    std::unique_ptr<Meter> m_meter;
};

void tst_LongRun::init()
{
    m_tree = std::make_unique<SupplyTree>();
    m_battery = std::make_unique<ScanPerTick>(m_tree->root());
    m_application.folderPath = m_folder.path();
    QFile settings(m_folder.filePath(QStringLiteral("settings.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    // Hiding when full makes every battery loss hide and show the window.
    settings.write("[PowerMenu]\nHideWhenFull=1\nWarnBelow20=0\nEnableTray=1\nShowPercentage=1\n");
    settings.close();
    m_meter = std::make_unique<Meter>(Platform{m_desktop, m_prompts, m_application, *m_battery, m_tray});
    m_meter->Form_Load();
    m_meter->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    m_meter->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_meter.get()));
}

void tst_LongRun::cleanup()
{
    m_meter.reset();
    m_battery.reset();
    m_tree.reset();
}

std::pair<qint16, bool> tst_LongRun::changeBattery(int tick)
{
    const int phase = tick % Block;
    const bool online = tick % 3 == 0;
    m_tree->set(QStringLiteral("AC"), "online", online ? "1\n" : "0\n");
    if (phase >= UnusableUntil) {
        m_tree->removeBattery();
        return {BatteryStatus::NoBattery, true};
    }
    m_tree->addBattery();
    const QString battery = QStringLiteral("BAT0");
    const qint16 percent = qint16((tick * 7) % 101);
    if (phase < GoodUntil) {
        m_tree->set(battery, "energy_full", "50000000\n");
        m_tree->set(battery, "energy_now", QByteArray::number(percent * 500000) + '\n');
        m_tree->set(battery, "capacity", "3\n"); // energy is the more precise source
        return {percent, online};
    }
    const QByteArray &bad = Unreadable[tick % Unreadable.size()];
    if (phase < BadAmountsUntil) {
        // A negative amount is as useless as an unreadable one.
        m_tree->set(battery, tick % 2 ? "energy_now" : "energy_full", tick % 4 == 1 ? "-5" : bad);
        m_tree->set(battery, "capacity", QByteArray::number(percent) + '\n');
        return {percent, online};
    }
    m_tree->set(battery, tick % 2 ? "energy_now" : "energy_full", bad);
    m_tree->set(battery, "capacity", bad);
    return {BatteryStatus::NoBattery, true};
}

void tst_LongRun::checkShows(int tick, qint16 charge, bool ac)
{
    const qint16 shown = Gauge::bounded(charge);
    const auto *caption = m_meter->Label3;
    const auto *outline = m_meter->findChild<MeterLabel *>(QStringLiteral("Label1"));
    const QColor acColour = toQColor(ac ? Gauge::LightBlue : Gauge::White);
    if (caption->text() != QString::number(shown) + QLatin1Char('%')
        || outline->backColour() != acColour
        || m_meter->isVisible() == (shown == Gauge::Full))
        QFAIL(qPrintable(QStringLiteral("tick %1: shows %2, %3, visible %4; wanted %5%, AC %6")
                             .arg(tick)
                             .arg(caption->text(), outline->backColour().name())
                             .arg(m_meter->isVisible())
                             .arg(shown)
                             .arg(ac)));
}

void tst_LongRun::survivesAChangingFaultyBattery()
{
    for (int tick = 1; tick <= Ticks; ++tick) {
        const auto [charge, ac] = changeBattery(tick);
        m_battery->scan();
        m_meter->Timer1_Timer();
        QCoreApplication::processEvents();
        checkShows(tick, charge, ac);
        if (QTest::currentTestFailed())
            return;
        if (tick == EarlyTicks || tick == Ticks)
            qInfo("after %d ticks: %s", tick, memoryFigures().constData());
    }
}

QTEST_MAIN(tst_LongRun)

#include "tst_longrun.moc"
