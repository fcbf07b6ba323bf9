#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

const QStringList Keys{SettingsFile::MoveMouseOver, SettingsFile::EnableSettings,
                       SettingsFile::EnableTray,    SettingsFile::HideWhenFull,
                       SettingsFile::WarnBelow20,   SettingsFile::ShowPercentage};
// The two full states the saving child alternates between, key by key.
const QList<bool> StateA{true, true, true, false, true, true};
const QList<bool> StateB{false, false, false, true, false, false};
// A child that outlives its parent stops by itself.
constexpr int ChildLifetimeMs = 30000;

// Notes a user keeps in the file, long enough that one save is many writes
// of the disk's blocks and a kill can land inside it.
QByteArray notes(char tag)
{
    QByteArray text;
    for (int line = 0; line < 800; ++line)
        text += "; " + QByteArray(1, tag) + " note " + QByteArray::number(line) + ": "
            + QByteArray(60, 'a' + char(line % 26)) + '\n';
    return text;
}

QByteArray contentWith(const QList<bool> &on)
{
    QByteArray text = notes('A') + "[PowerMenu]\n";
    for (qsizetype i = 0; i < Keys.size(); ++i)
        text += Keys[i].toUtf8() + '=' + (on[i] ? "1" : "0") + '\n';
    return text + "\n[Colours]\n" + notes('B') + "Bar=00FF00\n";
}

// Every state a sequence of one-key saves can pass through: the first keys
// already switched from one full state to the other, the rest not yet.
QSet<QByteArray> reachableContents()
{
    QSet<QByteArray> contents;
    for (qsizetype switched = 0; switched <= Keys.size(); ++switched) {
        contents.insert(contentWith(StateB.first(switched) + StateA.sliced(switched)));
        contents.insert(contentWith(StateA.first(switched) + StateB.sliced(switched)));
    }
    return contents;
}

// The child: saves every key, one at a time, flipping between the two
// states until it is killed.
int saveUntilKilled(const QString &path)
{
    QElapsedTimer alive;
    alive.start();
    for (int pass = 0; !alive.hasExpired(ChildLifetimeMs); ++pass) {
        const QList<bool> &target = pass % 2 == 0 ? StateB : StateA;
        for (qsizetype i = 0; i < Keys.size(); ++i) {
            const QString value = target[i] ? SettingsFile::On : SettingsFile::Off;
            if (!INIWrite(SettingsFile::Section, Keys[i], value, path))
                return 2;
            if (pass == 0 && i == 0) {
                std::printf("saving\n");
                std::fflush(stdout);
            }
        }
    }
    return 0;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Every file and link under folder, as paths relative to it.
QStringList filesIn(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    return files;
}

constexpr QFile::Permissions UserBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

} // namespace

class tst_SaveKill : public QObject
{
    Q_OBJECT

private slots:
    void killedMidSaveLeavesWholeFile_data();
    void killedMidSaveLeavesWholeFile();

private:
    // Starts a saving child and kills it after a random moment, checking
    // the file while it runs; returns every content seen.
    QList<QByteArray> killOneSaver(const QString &path);

    const QSet<QByteArray> m_reachable = reachableContents();
};

QList<QByteArray> tst_SaveKill::killOneSaver(const QString &path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save"), path});
    if (!child.waitForStarted() || !child.waitForReadyRead(10000))
        return {"<child did not start saving>"};
    QList<QByteArray> seen;
    const QDeadlineTimer killAt(QRandomGenerator::global()->bounded(1, 40));
    do {
        seen.append(bytesOf(path));
    } while (!killAt.hasExpired());
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(10000);
    if (child.exitStatus() != QProcess::CrashExit)
        return {"<child ended before the kill: " + child.readAllStandardError() + '>'};
    seen.append(bytesOf(path));
    return seen;
}

void tst_SaveKill::killedMidSaveLeavesWholeFile_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("file") << false;
    QTest::newRow("symbolic link") << true;
}

void tst_SaveKill::killedMidSaveLeavesWholeFile()
{
    QFETCH(bool, throughLink);
    constexpr int Rounds = 40;
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("stored.ini"));
    const QString path = throughLink ? dir.filePath(QStringLiteral("settings.ini")) : real;
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    writeBytes(real, contentWith(StateA));
    QVERIFY(QFile::setPermissions(real, mode));
    if (throughLink)
        QVERIFY(QFile::link(QStringLiteral("stored.ini"), path));

    QSet<QByteArray> distinct;
    for (int round = 0; round < Rounds; ++round) {
        writeBytes(path, contentWith(StateA));
        for (const QByteArray &content : killOneSaver(path)) {
            QVERIFY2(m_reachable.contains(content),
                     qPrintable(QStringLiteral("round %1: %2 bytes, not a whole state")
                                    .arg(round)
                                    .arg(content.size())));
            distinct.insert(content);
        }
    }
    // Kills that only ever hit between passes would prove nothing.
    QVERIFY2(distinct.size() > 2, "no kill landed between two saves of one pass");
    QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
    QCOMPARE(QFile::permissions(real) & ~UserBits, mode);
    qInfo() << "left in the folder:" << filesIn(dir.path());
    qInfo("%d rounds, %lld distinct states seen", Rounds, qint64(distinct.size()));
}

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], "--save") == 0)
        return saveUntilKilled(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    tst_SaveKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savekill.moc"
