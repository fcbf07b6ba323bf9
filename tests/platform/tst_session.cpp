#include "MeterRig.h"
#include "platform/startup/Session.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

// The child: a meter with a tray icon, living until a signal ends it.
int runMeterUntilSignalled(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Session::quitOnTerminationSignals();
    int status = 0;
    {
        MeterRig rig;
        rig.load("[PowerMenu]\nEnableTray=1\n");
        std::printf("ready\n");
        std::fflush(stdout);
        status = QApplication::exec();
        rig.meter.reset();
        std::printf("%s\n", qPrintable(rig.log.join(QLatin1Char(' '))));
    }
    return status;
}

} // namespace

class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void shouldEndCleanlyOnTerminationSignals_data();
    void shouldEndCleanlyOnTerminationSignals();
};

void tst_Session::shouldEndCleanlyOnTerminationSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void tst_Session::shouldEndCleanlyOnTerminationSignals()
{
    QFETCH(int, signal);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT((child.waitForReadyRead(50), child.peek(64).contains("ready")), 10000);
    ::kill(pid_t(child.processId()), signal);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QByteArray output = child.readAllStandardOutput();
    // Quitting closes the meter, which ends the program as Exit does.
    QVERIFY2(output.trimmed().endsWith("tray:add tray:remove end tray:remove"), output.constData());
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return runMeterUntilSignalled(argc, argv);
    QApplication app(argc, argv);
    tst_Session test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_session.moc"
