#include "Faults.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Which display a start counts against, and where its lock lives. Two
// processes meeting on one lock are tested with the installed program
// (tests/install).
namespace {

// Sets (or, for an empty value, unsets) a variable for one test.
void setVariable(const char *name, const QString &value)
{
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value.toLocal8Bit());
}

} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shouldNameTheDisplayTheGaugeShowsOn_data();
    void shouldNameTheDisplayTheGaugeShowsOn();
    void shouldKeepTheLockInTheRuntimeFolder_data();
    void shouldKeepTheLockInTheRuntimeFolder();
    void shouldStartDespiteALockFileOfAnotherUser_data();
    void shouldStartDespiteALockFileOfAnotherUser();

private:
    QTemporaryDir m_runtime;
};

void tst_SingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
}

void tst_SingleInstance::shouldNameTheDisplayTheGaugeShowsOn_data()
{
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("name");
    QTest::newRow("X11") << ":0" << "" << "" << ":0";
    QTest::newRow("X11, second screen") << ":0.1" << "" << "" << ":0";
    QTest::newRow("X11, local socket named") << "unix:0" << "" << "" << ":0";
    QTest::newRow("X11, local socket and screen") << "unix:0.0" << "" << "" << ":0";
    QTest::newRow("X11, local socket as a protocol") << "unix/:0" << "" << "" << ":0";
    QTest::newRow("forwarded X11") << "localhost:10.0" << "" << "" << "localhost:10";
    QTest::newRow("XWayland") << ":1" << "wayland-0" << "xcb" << ":1";
    QTest::newRow("Wayland asked for") << ":1" << "wayland-0" << "wayland" << "wayland-0";
    QTest::newRow("Wayland only") << "" << "wayland-0" << "" << "wayland-0";
    QTest::newRow("offscreen on X11") << ":3" << "" << "offscreen" << ":3";
    QTest::newRow("no display") << "" << "" << "offscreen" << "none";
}

void tst_SingleInstance::shouldNameTheDisplayTheGaugeShowsOn()
{
    QFETCH(QString, x11);
    QFETCH(QString, wayland);
    QFETCH(QString, platform);
    QFETCH(QString, name);
    setVariable("DISPLAY", x11);
    setVariable("WAYLAND_DISPLAY", wayland);
    setVariable("QT_QPA_PLATFORM", platform);
    QCOMPARE(SingleInstance::displayName(), name);
}

void tst_SingleInstance::shouldKeepTheLockInTheRuntimeFolder_data()
{
    const QString runtime = m_runtime.path();
    const QString fallback = QDir::temp().filePath(QStringLiteral("dimmerling-%1-").arg(::getuid()));
    QTest::addColumn<QString>("runtimeFolder");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("path");
    QTest::newRow("runtime folder") << runtime << "" << runtime + "/dimmerling-:5.lock";
    QTest::newRow("no runtime folder") << "" << "" << fallback + ":5.lock";
    QTest::newRow("runtime folder missing") << runtime + "/gone" << "" << fallback + ":5.lock";
    QTest::newRow("Wayland socket path") << runtime << "/run/user/7/wayland-1"
                                         << runtime + "/dimmerling-_run_user_7_wayland-1.lock";
}

void tst_SingleInstance::shouldKeepTheLockInTheRuntimeFolder()
{
    QFETCH(QString, runtimeFolder);
    QFETCH(QString, wayland);
    QFETCH(QString, path);
    setVariable("XDG_RUNTIME_DIR", runtimeFolder);
    setVariable("DISPLAY", wayland.isEmpty() ? QStringLiteral(":5") : QString());
    setVariable("WAYLAND_DISPLAY", wayland);
    setVariable("QT_QPA_PLATFORM", QString());
    QCOMPARE(SingleInstance::lockPath(), path);
}

void tst_SingleInstance::shouldStartDespiteALockFileOfAnotherUser_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::newRow("another user's file") << false;
    QTest::newRow("named pipe") << true;
}

// Anyone may make the lock file first in a shared temporary folder, and
// hold it; the gauge then starts without the lock and says so.
void tst_SingleInstance::shouldStartDespiteALockFileOfAnotherUser()
{
    QFETCH(bool, pipe);
    QTemporaryDir shared;
    const QByteArray oldTemp = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&oldTemp] { setVariable("TMPDIR", QString::fromLocal8Bit(oldTemp)); });
    setVariable("TMPDIR", shared.path());
    setVariable("XDG_RUNTIME_DIR", QString());
    setVariable("DISPLAY", QStringLiteral(":7"));
    setVariable("WAYLAND_DISPLAY", QString());
    setVariable("QT_QPA_PLATFORM", QString());
    const QByteArray path = QFile::encodeName(SingleInstance::lockPath());
    QVERIFY(path.startsWith(QFile::encodeName(shared.path())));
    if (pipe) {
        QVERIFY(::mkfifo(path.constData(), 0666) == 0);
    } else {
        if (::geteuid() != 0)
            QSKIP("only root may give a file to another user");
        const int made = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        QVERIFY(made >= 0);
        QVERIFY(::fchown(made, 65534, 65534) == 0 && ::fchmod(made, 0666) == 0);
        ::close(made);
    }
    const int held = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(held >= 0);
    const auto release = qScopeGuard([held] { ::close(held); });
    QVERIFY(::flock(held, LOCK_EX | LOCK_NB) == 0);

    StandardError errors;
    QVERIFY(SingleInstance::claim());
    const QList<QByteArray> said = errors.ownLines();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said[0].contains(path), said[0].constData());
}

QTEST_APPLESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
