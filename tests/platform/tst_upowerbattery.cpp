// The UPower battery sources against python3-dbusmock's upower template, on a
// private system bus that this test starts and stops itself.
#include "SysfsTree.h"
#include "platform/battery/SystemBattery.h"
#include "platform/battery/UPowerBattery.h"
#include "platform/battery/UPowerNames.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString service = QLatin1String(UPowerNames::service);
const QString managerPath = QLatin1String(UPowerNames::managerPath);
const QString displayPath = QLatin1String(UPowerNames::displayDevicePath);
const QString deviceInterface = QLatin1String(UPowerNames::deviceInterface);
const QString controlName = QStringLiteral("tst-control");
const char busMissingProbe[] = "--bus-missing-probe";

// Well beyond the sources' retry intervals, for a busy machine.
constexpr int retryWaitMs = 20000;

// Values of the fake power-supply folder, unlike any the mock is given.
constexpr qint16 sysfsCharge = 33;
constexpr qint16 sysfsAcStatus = 0;

// Starts a child that the kernel kills when this test dies, even by a crash.
void startLinked(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, arguments);
}

// What is missing to run the bus tests; empty when nothing is.
QString missingTools()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("dbus-monitor")).isEmpty())
        return QStringLiteral("dbus-daemon or dbus-monitor is not installed");
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    if (!probe.waitForFinished(20000) || probe.exitStatus() != QProcess::NormalExit
        || probe.exitCode() != 0)
        return QStringLiteral("%1 lacks python3-dbusmock").arg(python);
    return {};
}

// Child mode: reads a SystemBattery with the system bus pointing nowhere.
int probeWithoutBus(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SystemBattery source(QString::fromLocal8Bit(argv[2]));
    std::printf("%d %d %d\n", source.charge(), source.acStatus(), int(source.servesUPower()));
    return 0;
}

QVariantMap map(std::initializer_list<std::pair<QString, QVariant>> entries)
{
    QVariantMap result;
    for (const auto &entry : entries)
        result.insert(entry.first, entry.second);
    return result;
}

// The battery category's lines while it lives, with info turned on.
class BatteryLog
{
public:
    BatteryLog()
    {
        s_lines.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("dimmerling.battery.info=true"));
        s_previous = qInstallMessageHandler(record);
    }
    ~BatteryLog()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    int count(const QString &part) const { return s_lines.filter(part).size(); }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (qstrcmp(context.category, "dimmerling.battery") == 0)
            s_lines.append(text);
        s_previous(type, context, text);
    }

    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

// Lines printed by dbus-monitor for the messages one connection sends.
class SentMessages
{
public:
    SentMessages(const QString &address, const QString &sender)
    {
        startLinked(m_monitor, QStringLiteral("dbus-monitor"),
                    {QStringLiteral("--address"), address, QStringLiteral("--profile"),
                     QStringLiteral("sender='%1'").arg(sender)});
    }
    ~SentMessages()
    {
        m_monitor.kill();
        m_monitor.waitForFinished();
    }
    // The monitor reports becoming one by losing its own name.
    bool isListening() { return output().contains("\tNameLost"); }
    // Messages seen, without the monitor's own greeting.
    QList<QByteArray> messages()
    {
        QList<QByteArray> result;
        const QList<QByteArray> lines = output().split('\n');
        for (const QByteArray &line : lines) {
            if (!line.isEmpty() && !line.startsWith('#') && !line.contains("\tNameAcquired")
                && !line.contains("\tNameLost"))
                result.append(line);
        }
        return result;
    }

private:
    QByteArray output()
    {
        m_output += m_monitor.readAllStandardOutput();
        return m_output;
    }

    QProcess m_monitor;
    QByteArray m_output;
};

class tst_UPowerBattery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void shouldFollowThePercentage_data();
    void shouldFollowThePercentage();
    void shouldSendNoMessagesWhileReading();
    void shouldIgnoreOtherInterfacesAndRefetchInvalidated();
    void shouldTakeTheDisplayDeviceForTwoBatteries();
    void shouldFindNoBatteryWhenNoneIsPresent_data();
    void shouldFindNoBatteryWhenNoneIsPresent();
    void shouldServeTheKernelsValuesUntilUPowerAnswers();
    void shouldFollowTheServiceAwayAndBack();
    void shouldStartWithoutTheService();
    void shouldKeepTheLastChargeWhenThePercentageIsNoReading_data();
    void shouldKeepTheLastChargeWhenThePercentageIsNoReading();
    void shouldTakeUPowerThatAnswersLate_data();
    void shouldTakeUPowerThatAnswersLate();
    void shouldFollowTheBusAwayAndBack();
    void shouldServeTheKernelsValuesWithoutABus();

private:
    // The test's own connection, reopened with the bus.
    QDBusConnection bus() const { return QDBusConnection(controlName); }
    void startBus();
    void startMock();
    void stopMock();
    void mockCall(const QString &path, const QString &method, const QVariantList &args);
    void setDisplay(const QVariant &percentage, bool present);
    void setOnBattery(bool onBattery);

    QString m_missing;
    QTemporaryDir m_dir;
    SysfsTree m_sysfs; // one discharging battery at sysfsCharge, mains unplugged
    QString m_address;
    QProcess m_bus;
    QProcess m_mock;
};

void tst_UPowerBattery::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_sysfs.write({"BAT0/type=Battery", "BAT0/present=1",
                           "BAT0/capacity=" + QString::number(sysfsCharge), "AC/type=Mains",
                           "AC/online=" + QString::number(sysfsAcStatus)}));
    m_missing = missingTools();
    if (!m_missing.isEmpty())
        return;
    startBus();
    startMock();
}

void tst_UPowerBattery::cleanupTestCase()
{
    stopMock();
    m_bus.terminate();
    m_bus.waitForFinished();
}

void tst_UPowerBattery::init()
{
    if (!m_missing.isEmpty()
        && QByteArray(QTest::currentTestFunction()) != "shouldServeTheKernelsValuesWithoutABus")
        QSKIP(qPrintable(m_missing));
    // D-Bus trouble must stay quiet: any warning fails the test.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    if (m_missing.isEmpty()) {
        if (m_bus.state() == QProcess::NotRunning)
            startBus();
        if (m_mock.state() == QProcess::NotRunning)
            startMock();
        setDisplay(50.0, true);
        setOnBattery(false);
    }
}

void tst_UPowerBattery::shouldFollowThePercentage_data()
{
    QTest::addColumn<QVariant>("percentage");
    QTest::addColumn<int>("expected");

    QTest::newRow("half rounds up") << QVariant(57.5) << 58;
    QTest::newRow("sent as an integer") << QVariant(42) << 42;
}

// A source running before the change hears it; one made after fetches it.
void tst_UPowerBattery::shouldFollowThePercentage()
{
    QFETCH(QVariant, percentage);
    QFETCH(int, expected);
    UPowerBattery follower;
    QTRY_VERIFY(follower.hasAnswered());

    setOnBattery(true);
    setDisplay(percentage, true);
    QTRY_COMPARE(follower.charge(), expected);
    QCOMPARE(follower.acStatus(), 0);

    UPowerBattery fresh;
    QTRY_VERIFY(fresh.hasAnswered());
    QCOMPARE(fresh.charge(), expected);
    QCOMPARE(fresh.acStatus(), 0);
}

void tst_UPowerBattery::shouldSendNoMessagesWhileReading()
{
    QDBusConnection connection =
        QDBusConnection::connectToBus(m_address, QStringLiteral("sendsNoMessages"));
    auto disconnect = qScopeGuard([] {
        QDBusConnection::disconnectFromBus(QStringLiteral("sendsNoMessages"));
    });
    UPowerBattery source(connection);
    QTRY_VERIFY(source.hasAnswered());
    SentMessages sent(m_address, connection.baseService());
    QTRY_VERIFY(sent.isListening());

    // One signal per property, as upowerd's own Set() does it.
    mockCall(managerPath, QStringLiteral("SetDeviceProperties"),
             {QVariant::fromValue(QDBusObjectPath(displayPath)),
              map({{QStringLiteral("Percentage"), 23.0}})});
    setOnBattery(true);
    QTRY_COMPARE(source.acStatus(), 0);
    QCOMPARE(source.charge(), 23);
    for (int read = 0; read < 70; ++read) {
        source.charge();
        source.acStatus();
    }
    QCoreApplication::processEvents();

    // A call of our own marks the end: everything before it was sent while reading.
    connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                   QStringLiteral("/org/freedesktop/DBus"),
                                                   QStringLiteral("org.freedesktop.DBus.Peer"),
                                                   QStringLiteral("Ping")));
    QTRY_VERIFY(!sent.messages().isEmpty());
    QCOMPARE(sent.messages().size(), 1);
    QVERIFY(sent.messages().first().contains("\tPing"));
}

void tst_UPowerBattery::shouldIgnoreOtherInterfacesAndRefetchInvalidated()
{
    UPowerBattery source;
    QTRY_VERIFY(source.hasAnswered());
    const QString signature = QStringLiteral("sa{sv}as");
    auto emitChange = [&](const QString &interface, const QVariantMap &changed,
                          const QStringList &invalidated) {
        mockCall(displayPath, QStringLiteral("EmitSignal"),
                 {QLatin1String(UPowerNames::propertiesInterface),
                  QLatin1String(UPowerNames::propertiesChangedSignal), signature,
                  QVariantList{QVariant::fromValue(QDBusVariant(interface)),
                               QVariant::fromValue(QDBusVariant(changed)),
                               QVariant::fromValue(QDBusVariant(invalidated))}});
    };

    emitChange(QStringLiteral("org.example.Other"), map({{QStringLiteral("Percentage"), 11.0}}), {});
    setOnBattery(true); // same sender, so it arrives after the signal above
    QTRY_COMPARE(source.acStatus(), 0);
    QCOMPARE(source.charge(), 50);

    // The mock still holds 50 %: a bare invalidation must fetch it back.
    emitChange(deviceInterface, map({{QStringLiteral("Percentage"), 99.0}}), {});
    QTRY_COMPARE(source.charge(), 99);
    emitChange(deviceInterface, {}, {QStringLiteral("Percentage")});
    QTRY_COMPARE(source.charge(), 50);
}

void tst_UPowerBattery::shouldTakeTheDisplayDeviceForTwoBatteries()
{
    mockCall(managerPath, QStringLiteral("AddDischargingBattery"),
             {QStringLiteral("mock_BAT0"), QStringLiteral("Left"), 20.0, qlonglong(1200)});
    mockCall(managerPath, QStringLiteral("AddChargingBattery"),
             {QStringLiteral("mock_BAT1"), QStringLiteral("Right"), 80.0, qlonglong(1800)});
    // upowerd would weigh the two by size: the display device holds the result.
    mockCall(managerPath, QStringLiteral("SetupDisplayDevice"),
             {2u, 1u, 50.6, 50.6, 100.0, 10.0, qlonglong(0), qlonglong(1800), true, QString(), 1u});

    UPowerBattery source;
    QTRY_VERIFY(source.hasAnswered());
    QCOMPARE(source.charge(), 51);
    QCOMPARE(source.acStatus(), 1);
}

void tst_UPowerBattery::shouldFindNoBatteryWhenNoneIsPresent_data()
{
    QTest::addColumn<QVariant>("percentage");
    QTest::addColumn<bool>("onBattery");

    QTest::newRow("empty, on battery") << QVariant(0.0) << true;
    QTest::newRow("stale charge, on mains") << QVariant(37.0) << false;
}

void tst_UPowerBattery::shouldFindNoBatteryWhenNoneIsPresent()
{
    QFETCH(QVariant, percentage);
    QFETCH(bool, onBattery);
    UPowerBattery follower;
    QTRY_VERIFY(follower.hasAnswered());

    setOnBattery(onBattery);
    setDisplay(percentage, false);
    QTRY_COMPARE(follower.charge(), BatteryStatus::NoBattery);
    QCOMPARE(follower.acStatus(), 1);

    UPowerBattery fresh;
    QTRY_VERIFY(fresh.hasAnswered());
    QCOMPARE(fresh.charge(), BatteryStatus::NoBattery);
    QCOMPARE(fresh.acStatus(), 1);

    setDisplay(64.0, true);
    QTRY_COMPARE(follower.charge(), 64);
    QCOMPARE(follower.acStatus(), onBattery ? 0 : 1);
}

// Nothing waits for UPower: the kernel's values serve until its answers arrive.
void tst_UPowerBattery::shouldServeTheKernelsValuesUntilUPowerAnswers()
{
    setDisplay(64.0, true);
    SystemBattery source(m_sysfs.root());
    QCOMPARE(source.charge(), sysfsCharge);
    QCOMPARE(source.acStatus(), sysfsAcStatus);
    QTRY_COMPARE(source.charge(), 64);
    QCOMPARE(source.acStatus(), 1);
}

void tst_UPowerBattery::shouldFollowTheServiceAwayAndBack()
{
    setDisplay(57.4, true);
    SystemBattery source(m_sysfs.root());
    QTRY_VERIFY(source.servesUPower());
    QCOMPARE(source.charge(), 57);

    stopMock();
    QTRY_VERIFY(!source.servesUPower());
    QCOMPARE(source.charge(), sysfsCharge);
    QCOMPARE(source.acStatus(), sysfsAcStatus);

    startMock();
    setDisplay(71.0, true);
    QTRY_COMPARE(source.charge(), 71);
    QVERIFY(source.servesUPower());
    QCOMPARE(source.acStatus(), 1);
    // The change signals are followed again, not only the fetch after the return.
    setDisplay(72.6, true);
    QTRY_COMPARE(source.charge(), 73);
}

void tst_UPowerBattery::shouldStartWithoutTheService()
{
    stopMock();
    SystemBattery source(m_sysfs.root());
    QVERIFY(!source.servesUPower());
    QCOMPARE(source.charge(), sysfsCharge);
    QCOMPARE(source.acStatus(), sysfsAcStatus);

    startMock();
    setDisplay(88.0, true);
    QTRY_COMPARE(source.charge(), 88);
    QCOMPARE(source.acStatus(), 1);
}

void tst_UPowerBattery::shouldKeepTheLastChargeWhenThePercentageIsNoReading_data()
{
    QTest::addColumn<QVariant>("percentage");

    QTest::newRow("a string") << QVariant(QStringLiteral("57"));
    QTest::newRow("a boolean") << QVariant(true);
    QTest::newRow("above 100") << QVariant(250.0);
}

// No reading: the last good value stays, or the kernel's serves while there is none.
void tst_UPowerBattery::shouldKeepTheLastChargeWhenThePercentageIsNoReading()
{
    QFETCH(QVariant, percentage);
    BatteryLog log;
    SystemBattery running(m_sysfs.root());
    QTRY_VERIFY(running.servesUPower());

    for (const bool onBattery : {true, false}) {
        setDisplay(percentage, true);
        setOnBattery(onBattery); // same sender, so it arrives after the percentage
        QTRY_COMPARE(running.acStatus(), onBattery ? 0 : 1);
        QCOMPARE(running.charge(), 50);
    }
    QCOMPARE(log.count(QStringLiteral("no number")), 1);

    SystemBattery fresh(m_sysfs.root());
    QTRY_COMPARE(log.count(QStringLiteral("no number")), 2);
    QVERIFY(!fresh.servesUPower());
    QCOMPARE(fresh.charge(), sysfsCharge);

    setDisplay(64.0, true);
    QTRY_COMPARE(fresh.charge(), 64);
    QVERIFY(fresh.servesUPower());
    QCOMPARE(running.charge(), 64);
}

void tst_UPowerBattery::shouldTakeUPowerThatAnswersLate_data()
{
    QTest::addColumn<bool>("stalled");

    QTest::newRow("first answer after the timeout") << true;
    QTest::newRow("display device appears later") << false;
}

// UPower that owns its name but fails the first fetch is taken once it
// answers, not only after a restart.
void tst_UPowerBattery::shouldTakeUPowerThatAnswersLate()
{
    QFETCH(bool, stalled);
    const pid_t mock = pid_t(m_mock.processId());
    const auto resumeOnFailure = qScopeGuard([mock] { ::kill(mock, SIGCONT); });
    if (stalled)
        ::kill(mock, SIGSTOP); // the test bus fails calls to it after 2 s
    else
        mockCall(managerPath, QStringLiteral("RemoveObject"), {displayPath});
    BatteryLog log;
    SystemBattery source(m_sysfs.root());
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("did not answer")) > 0, retryWaitMs);
    QVERIFY(!source.servesUPower());
    QCOMPARE(source.charge(), sysfsCharge);

    if (stalled)
        ::kill(mock, SIGCONT);
    else
        mockCall(managerPath, QStringLiteral("Reset"), {}); // the template's objects, same owner
    setDisplay(64.0, true);
    QTRY_COMPARE_WITH_TIMEOUT(source.charge(), 64, retryWaitMs);
    QVERIFY(source.servesUPower());
}

// Runs after the other tests of sources on the default system bus: that
// connection stays dead once its daemon is killed.
void tst_UPowerBattery::shouldFollowTheBusAwayAndBack()
{
    setDisplay(57.4, true);
    SystemBattery source(m_sysfs.root());
    QTRY_VERIFY(source.servesUPower());
    QCOMPARE(source.charge(), 57);

    // The second round loses the connection that the source opened itself.
    for (const int charge : {71, 72}) {
        m_bus.kill();
        m_bus.waitForFinished();
        stopMock();
        QTRY_VERIFY(!source.servesUPower());
        QCOMPARE(source.charge(), sysfsCharge);
        QCOMPARE(source.acStatus(), sysfsAcStatus);

        startBus();
        startMock();
        setDisplay(charge, true);
        QTRY_COMPARE_WITH_TIMEOUT(source.charge(), charge, retryWaitMs);
        QVERIFY(source.servesUPower());
    }
    // On the new connection, change signals and the owner's comings and goings count too.
    setDisplay(72.6, true);
    QTRY_COMPARE(source.charge(), 73);
    stopMock();
    QTRY_VERIFY(!source.servesUPower());
}

// The system bus is process-wide and chosen once, so this runs in a child.
void tst_UPowerBattery::shouldServeTheKernelsValuesWithoutABus()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("nowhere")));
    child.setProcessEnvironment(environment);
    startLinked(child, QCoreApplication::applicationFilePath(),
                {QLatin1String(busMissingProbe), m_sysfs.root()});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardError(), QByteArray());
    QCOMPARE(child.readAllStandardOutput(),
             QByteArray::number(sysfsCharge) + ' ' + QByteArray::number(sysfsAcStatus) + " 0\n");
}

// Every system-bus user in this process must see the private bus, so the
// address is set before the first connection. It names a fixed socket, so a
// restarted daemon comes back at the same address.
void tst_UPowerBattery::startBus()
{
    m_address = QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("system_bus_socket"));
    m_bus.setStandardErrorFile(QProcess::nullDevice());
    const QString config = QFINDTESTDATA("upower-system-bus.conf");
    QVERIFY2(!config.isEmpty(), "upower-system-bus.conf not found");
    startLinked(m_bus, QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                 QStringLiteral("--address=") + m_address, QStringLiteral("--print-address=1")});
    QVERIFY(m_bus.waitForReadyRead(10000)); // printed once it listens
    m_bus.readAllStandardOutput();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit());
    QDBusConnection::disconnectFromBus(controlName);
    QVERIFY(QDBusConnection::connectToBus(m_address, controlName).isConnected());
}

void tst_UPowerBattery::startMock()
{
    m_mock.setStandardOutputFile(QProcess::nullDevice());
    m_mock.setStandardErrorFile(QProcess::nullDevice());
    startLinked(m_mock, python,
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                 QStringLiteral("--template"), QStringLiteral("upower")});
    QVERIFY(m_mock.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(bus().interface()->isServiceRegistered(service).value(), 10000);
}

void tst_UPowerBattery::stopMock()
{
    if (m_mock.state() == QProcess::NotRunning)
        return;
    m_mock.terminate();
    m_mock.waitForFinished();
}

void tst_UPowerBattery::mockCall(const QString &path, const QString &method,
                                const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, mockInterface, method);
    call.setArguments(args);
    const QDBusMessage reply = bus().call(call);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage,
             qPrintable(method + QStringLiteral(": ") + reply.errorMessage()));
}

// One batched change signal, as upowerd sends it.
void tst_UPowerBattery::setDisplay(const QVariant &percentage, bool present)
{
    mockCall(displayPath, QStringLiteral("UpdateProperties"),
             {deviceInterface, map({{QStringLiteral("Percentage"), percentage},
                                    {QStringLiteral("IsPresent"), present},
                                    {QStringLiteral("State"), present ? 2u : 0u}})});
}

void tst_UPowerBattery::setOnBattery(bool onBattery)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, managerPath, QLatin1String(UPowerNames::propertiesInterface),
        QStringLiteral("Set"));
    call << service << QStringLiteral("OnBattery") << QVariant::fromValue(QDBusVariant(onBattery));
    QCOMPARE(bus().call(call).type(), QDBusMessage::ReplyMessage);
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], busMissingProbe) == 0)
        return probeWithoutBus(argc, argv);
    QCoreApplication app(argc, argv);
    tst_UPowerBattery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_upowerbattery.moc"
