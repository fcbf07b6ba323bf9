#include "Faults.h"
#include "settings/ProfileFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readStringFromFile_data();
    void readStringFromFile();

    void writeChangesOnlyOneLine();
    void writeCreatesMissingFile();
    void writeRefusesUnstorableNames();
    void writeWhereNobodyMayCreateFiles();
    void writeToDirectoryFails();
    void fifoIsNeverOpened();
    void writeKeepsLinksOwnerAndMode_data();
    void writeKeepsLinksOwnerAndMode();
    void writeInPlaceWhereNoFileCanBeMade_data();
    void writeInPlaceWhereNoFileCanBeMade();
    void writeRemovesStaleTemporaries();
    void writeWithLongNames_data();
    void writeWithLongNames();
    void writeOnFullDiskKeepsOldFile();

    void survivesOddContent_data();
    void survivesOddContent();
    void longLineAndLargeFile_data();
    void longLineAndLargeFile();

private:
    QString pathOf(const QString &name) const { return m_dir->filePath(name); }
    QString createFile(const QString &name, const QByteArray &content) const;
    static QByteArray bytesOf(const QString &path);
    QStringList regularFiles() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

static const QByteArray bom("\xEF\xBB\xBF");

QString tst_ProfileFile::createFile(const QString &name, const QByteArray &content) const
{
    QFile file(pathOf(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot create %s", qPrintable(file.fileName()));
    return file.fileName();
}

QByteArray tst_ProfileFile::bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every regular file under the folder, links not followed.
QStringList tst_ProfileFile::regularFiles() const
{
    QStringList files;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(m_dir->path()).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// The user nobody, for what only another user's rights show.
static constexpr uid_t Nobody = 65534;

// Writes as user (through a child that takes on that user's rights, when it
// is not this process's own); whether the write succeeded.
static bool writeAs(uid_t user, const QString &path, const QByteArray &value)
{
    if (user == ::geteuid())
        return ProfileFile::writeString(path, "S", "k", value);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(user) == 0 && ::setuid(user) == 0
                        && ProfileFile::writeString(path, "S", "k", value)
                    ? 0
                    : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
        && WEXITSTATUS(status) == 0;
}

// Sets a file's (or a link's own) modification time two minutes back.
static bool makeOld(const QString &path)
{
    timespec times[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

void tst_ProfileFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_ProfileFile::cleanup()
{
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void tst_ProfileFile::readStringFromFile_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("longer than the buffer") << QByteArray(300, 'x') << 255 << QByteArray(254, 'x');
    QTest::newRow("exactly fits") << QByteArray(254, 'y') << 255 << QByteArray(254, 'y');
    QTest::newRow("one byte too long") << QByteArray(255, 'z') << 255 << QByteArray(254, 'z');
    QTest::newRow("buffer of one") << QByteArray("abc") << 1 << QByteArray();
    QTest::newRow("no buffer") << QByteArray("abc") << 0 << QByteArray();
}

void tst_ProfileFile::readStringFromFile()
{
    QFETCH(QByteArray, value);
    QFETCH(int, bufferSize);
    QFETCH(QByteArray, expected);
    const QString path = createFile("a.ini", "[A]\nk=other\n[S]\nk=" + value + "\n");
    QCOMPARE(ProfileFile::readString(path, "S", "k", bufferSize), expected);
    QCOMPARE(ProfileFile::readString(pathOf("missing.ini"), "S", "k", 255), QByteArray());
    QCOMPARE(ProfileFile::readString(m_dir->path(), "S", "k", 255), QByteArray());
}

void tst_ProfileFile::writeChangesOnlyOneLine()
{
    const QByteArray head = bom + "; settings\r\n[Meter]\r\n";
    const QByteArray tail = "\r\n[Colours]\r\nLow=red\r\n";
    const QString path = createFile("a.ini", head + "Width = 10 \r\n" + tail);
    QVERIFY(ProfileFile::writeString(path, "meter", "Width", "250"));
    QCOMPARE(bytesOf(path), head + "Width=250\r\n" + tail);
    QVERIFY(ProfileFile::writeString(path, "Meter", "Height", "8"));
    QCOMPARE(bytesOf(path), head + "Width=250\r\nHeight=8\r\n" + tail);
    QCOMPARE(ProfileFile::readString(path, "METER", "height", 255), QByteArray("8"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});
}

void tst_ProfileFile::writeCreatesMissingFile()
{
    const QString path = pathOf("new.ini");
    QVERIFY(ProfileFile::writeString(path, "S", "k", "v"));
    QCOMPARE(bytesOf(path), QByteArray("[S]\nk=v\n"));
}

// Refused before the file is touched: no write, no new file.
void tst_ProfileFile::writeRefusesUnstorableNames()
{
    const QByteArray content("[S]\nk=1\n");
    const QString path = createFile("a.ini", content);
    QVERIFY(!ProfileFile::writeString(path, "S", "k", "a\nb"));
    QCOMPARE(bytesOf(path), content);
    QVERIFY(!ProfileFile::writeString(pathOf("new.ini"), "S", "k", "a\nb"));
    QVERIFY(!QFile::exists(pathOf("new.ini")));
}

// Even root cannot create files in /proc.
void tst_ProfileFile::writeWhereNobodyMayCreateFiles()
{
    const QString existing("/proc/version");
    if (!QFileInfo(existing).isFile())
        QSKIP("no /proc/version on this machine");
    const QByteArray before = bytesOf(existing);
    QVERIFY(!ProfileFile::writeString(existing, "S", "k", "1"));
    QCOMPARE(bytesOf(existing), before);
    QVERIFY(!ProfileFile::writeString("/proc/dimmerling-test.ini", "S", "k", "1"));
    QVERIFY(!QFileInfo::exists("/proc/dimmerling-test.ini"));
}

void tst_ProfileFile::writeToDirectoryFails()
{
    QVERIFY(QDir(m_dir->path()).mkdir("d.ini"));
    QVERIFY(!ProfileFile::writeString(pathOf("d.ini"), "S", "k", "1"));
    QVERIFY(QFileInfo(pathOf("d.ini")).isDir());
}

// Opening a pipe without a writer would block for good.
void tst_ProfileFile::fifoIsNeverOpened()
{
    const QString path = pathOf("pipe.ini");
    if (QProcess::execute("mkfifo", {path}) != 0)
        QSKIP("mkfifo is not available");
    QCOMPARE(ProfileFile::readString(path, "S", "k", 255), QByteArray());
    QVERIFY(!ProfileFile::writeString(path, "S", "k", "1"));
    QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(QFileInfo::exists(path));
}

void tst_ProfileFile::writeKeepsLinksOwnerAndMode_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("links"); // "name>target", made in this order; @ is the test's folder
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QFile::Permissions>("permissions");
    QTest::addColumn<bool>("othersFile"); // given to another user, saved by root

    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions readable = owner | QFile::ReadGroup;
    const QStringList none;
    QTest::newRow("0600") << "a.ini" << none << "a.ini" << true << owner << false;
    QTest::newRow("0640") << "a.ini" << none << "a.ini" << true << readable << false;
    QTest::newRow("0664") << "a.ini" << none << "a.ini" << true
                          << (owner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther) << false;
    QTest::newRow("0444, saved by root") << "a.ini" << none << "a.ini" << true
                                         << (QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther) << false;
    QTest::newRow("another user's file, saved by root") << "a.ini" << none << "a.ini" << true << readable
                                                        << true;
    QTest::newRow("absolute target") << "link.ini" << QStringList{"link.ini>@/real/a.ini"} << "real/a.ini"
                                     << true << readable << false;
    QTest::newRow("relative target") << "link.ini" << QStringList{"link.ini>real/a.ini"} << "real/a.ini"
                                     << true << owner << false;
    QTest::newRow("link to a link")
        << "link.ini" << QStringList{"link.ini>second.ini", "second.ini>real/a.ini"} << "real/a.ini" << true
        << owner << false;
    QTest::newRow(".. behind a linked folder")
        << "link.ini"
        << QStringList{"link.ini>sub/settings.ini", "sub>far/dir", "far/dir/settings.ini>../real.ini"}
        << "far/real.ini" << true << owner << false;
    QTest::newRow("linked ~/.config and a dotfile")
        << "home/.config/dimmerling/settings.ini"
        << QStringList{"home/.config>../cfg", "cfg/dimmerling/settings.ini>../../dots/settings.ini"}
        << "dots/settings.ini" << true << owner << false;
    QTest::newRow("dangling link") << "link.ini" << QStringList{"link.ini>real/new.ini"} << "real/new.ini"
                                   << false << owner << false;
    QTest::newRow("missing file behind a linked folder")
        << "link.ini" << QStringList{"link.ini>sub/new.ini", "sub>far/dir"} << "far/dir/new.ini" << false
        << owner << false;
}

// The file written is the one the kernel reads, with its owner, group and
// mode; the links stay links, and nothing is left beside them.
void tst_ProfileFile::writeKeepsLinksOwnerAndMode()
{
    QFETCH(QString, path);
    QFETCH(QStringList, links);
    QFETCH(QString, stored);
    QFETCH(bool, exists);
    QFETCH(QFile::Permissions, permissions);
    QFETCH(bool, othersFile);
    if ((othersFile || !permissions.testFlag(QFile::WriteOwner)) && ::geteuid() != 0)
        QSKIP("needs root");
    QDir dir(m_dir->path());
    QVERIFY(dir.mkpath(QFileInfo(stored).path()));
    const QByteArray name = QFile::encodeName(pathOf(stored));
    if (exists) {
        createFile(stored, "[S]\nk=1\n");
        QVERIFY(QFile::setPermissions(pathOf(stored), permissions));
        QVERIFY(!othersFile || ::chown(name.constData(), Nobody, Nobody) == 0);
    }
    for (const QString &link : links) {
        const QStringList parts = link.split('>');
        QVERIFY(dir.mkpath(QFileInfo(parts[0]).path()));
        QVERIFY(QFile::link(QString(parts[1]).replace('@', m_dir->path()), pathOf(parts[0])));
    }
    struct stat before = {};
    QCOMPARE(::stat(name.constData(), &before) == 0, exists);
    QVERIFY(ProfileFile::writeString(pathOf(path), "S", "k", "2"));
    QCOMPARE(bytesOf(pathOf(stored)), QByteArray("[S]\nk=2\n"));
    for (const QString &link : links)
        QVERIFY(QFileInfo(pathOf(link.section('>', 0, 0))).isSymLink());
    QCOMPARE(regularFiles(), QStringList{stored});
    if (!exists)
        return;
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(pathOf(stored)) & ~userBits, permissions);
    struct stat after = {};
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
}

void tst_ProfileFile::writeInPlaceWhereNoFileCanBeMade_data()
{
    QTest::addColumn<bool>("othersFile");
    QTest::newRow("folder closed to the user") << false;
    QTest::newRow("another user's file in the user's folder") << true;
}

// A file the user may write where a new file of theirs cannot take its
// place: written in place, shorter, with its owner.
void tst_ProfileFile::writeInPlaceWhereNoFileCanBeMade()
{
    QFETCH(bool, othersFile);
    if (othersFile && ::geteuid() != 0)
        QSKIP("a file of another user's needs root");
    const uid_t user = ::geteuid() == 0 ? Nobody : ::geteuid();
    QVERIFY(QDir(m_dir->path()).mkdir("closed"));
    const QString path = createFile("closed/a.ini", "[S]\nk=1\n; note\n");
    const QString readOnly = createFile("closed/b.ini", "[S]\nk=1\n");
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
    for (const QString &name : {path, readOnly, pathOf("closed")})
        QVERIFY(user == ::geteuid() || ::chown(QFile::encodeName(name).constData(), user, user) == 0);
    QVERIFY(!othersFile || ::chown(QFile::encodeName(path).constData(), 0, 0) == 0);
    QVERIFY(!othersFile || ::chmod(QFile::encodeName(path).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(pathOf("closed")).constData(), othersFile ? 0700 : 0500) == 0);
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0711) == 0);
    QVERIFY(writeAs(user, path, ""));
    QCOMPARE(bytesOf(path), QByteArray("[S]\nk=\n; note\n"));
    QCOMPARE(QFileInfo(path).ownerId(), othersFile ? 0 : user);
    QVERIFY(!writeAs(user, readOnly, "2"));
    QCOMPARE(bytesOf(readOnly), QByteArray("[S]\nk=1\n"));
    QCOMPARE(regularFiles(), QStringList({"closed/a.ini", "closed/b.ini"}));
}

// Only this program's own names, only regular files, only old ones.
void tst_ProfileFile::writeRemovesStaleTemporaries()
{
    const QString path = createFile("a.ini", "[S]\nk=1\n");
    const QStringList kept{"a.ini", "a.ini.tmp-ABC", "a.ini.tmp-n3w", "a.ini.tmp-toolong1",
                           "a.ini.tmp-old", "b.ini.tmp-abc"};
    for (const QString &name : kept.mid(1) + QStringList{"a.ini.tmp-1x9z"}) {
        createFile(name, "left over");
        QVERIFY(name == "a.ini.tmp-n3w" || makeOld(pathOf(name)));
    }
    QVERIFY(QDir(m_dir->path()).mkdir("a.ini.tmp-d1r") && makeOld(pathOf("a.ini.tmp-d1r")));
    QVERIFY(QFile::link("a.ini", pathOf("a.ini.tmp-l1nk")) && makeOld(pathOf("a.ini.tmp-l1nk")));
    QVERIFY(ProfileFile::writeString(path, "S", "k", "2"));
    QStringList expected = kept;
    expected.sort();
    QCOMPARE(regularFiles(), expected);
    QVERIFY(QFileInfo(pathOf("a.ini.tmp-d1r")).isDir());
    QVERIFY(QFileInfo(pathOf("a.ini.tmp-l1nk")).isSymLink());
}

void tst_ProfileFile::writeWithLongNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("pathLength"); // the whole path's, 0 for no more than needed

    QTest::newRow("name of NAME_MAX bytes") << QByteArray(NAME_MAX, 'n') << 0;
    QTest::newRow("path of PATH_MAX - 1 bytes") << QByteArray("settings.ini") << PATH_MAX - 1;
}

// Wherever the file's own name fits, a new file and a replaced one.
void tst_ProfileFile::writeWithLongNames()
{
    QFETCH(QByteArray, name);
    QFETCH(int, pathLength);
    QString folder = m_dir->path();
    while (pathLength > 0 && folder.size() + 1 + name.size() < pathLength)
        folder += '/' + QString(qMin<qsizetype>(200, pathLength - folder.size() - name.size() - 2), 'd');
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + '/' + QFile::decodeName(name);
    QVERIFY(pathLength == 0 || QFile::encodeName(path).size() == pathLength);
    QVERIFY(ProfileFile::writeString(path, "S", "k", "1"));
    QVERIFY(ProfileFile::writeString(path, "S", "k", "2"));
    QCOMPARE(bytesOf(path), QByteArray("[S]\nk=2\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// No byte written counts until every byte is on the disk.
void tst_ProfileFile::writeOnFullDiskKeepsOldFile()
{
    FullDisk disk(m_dir->path());
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    const QByteArray content = "[S]\nk=1\n" + QByteArray(3000, ';') + '\n';
    const QString path = createFile("a.ini", content);
    QVERIFY(disk.fill());
    QVERIFY(!ProfileFile::writeString(path, "S", "k", "2"));
    QCOMPARE(bytesOf(path), content);
    QVERIFY(!ProfileFile::writeString(pathOf("new.ini"), "S", "k", "2"));
    const QDir::Filters anyFile = QDir::Files | QDir::System | QDir::Hidden;
    QCOMPARE(QDir(m_dir->path()).entryList(anyFile), QStringList({"a.ini", "filler"}));
}

void tst_ProfileFile::survivesOddContent_data()
{
    QTest::addColumn<QByteArray>("content");

    QByteArray junk(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(20240611);
    for (char &byte : junk)
        byte = char(random.bounded(256));
    QTest::newRow("binary junk") << junk;
    QTest::newRow("NULs and brackets") << QByteArray("\0[\0]\n\0=\0\n[]\n=\n]\n[\n", 18);
    QTest::newRow("only CRLFs") << QByteArray("\r\n").repeated(1000);
    QTest::newRow("lone carriage returns") << QByteArray("[S]\rk=1\r");
    QTest::newRow("only a byte-order mark") << bom;
}

// Whatever was there stays as it was; the new key is added after it and reads back.
void tst_ProfileFile::survivesOddContent()
{
    QFETCH(QByteArray, content);
    const QString path = createFile("a.ini", content);
    QCOMPARE(ProfileFile::readString(path, "Meter", "Width", 255), QByteArray());
    QVERIFY(ProfileFile::writeString(path, "Meter", "Width", "10"));
    const QByteArray written = bytesOf(path);
    QVERIFY(written.startsWith(content));
    QCOMPARE(ProfileFile::readString(path, "Meter", "Width", 255), QByteArray("10"));
    QVERIFY(ProfileFile::writeString(path, "Meter", "Width", "20"));
    QCOMPARE(bytesOf(path), QByteArray(written).replace("Width=10", "Width=20"));
}

void tst_ProfileFile::longLineAndLargeFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("longValue");

    const QByteArray x(100000, 'x');
    QTest::newRow("100k lines around the key") << "[A]\nlong=" + x + "\n[S]\n" + x + "\n"
                                               << x + "=" + x + "\n[Z]\n" << QByteArray(254, 'x');
    QByteArray filler;
    for (int i = 0; filler.size() < 10 * 1024 * 1024; ++i)
        filler += "[Section" + QByteArray::number(i) + "]\r\nkey=some value\r\nk=1\r\n";
    QTest::newRow("10 MB before the key")
        << filler + "[S]\r\n" << QByteArray("\r\n") << QByteArray();
}

// Reading finds the key and cuts the long value; writing changes the key's line only.
void tst_ProfileFile::longLineAndLargeFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, longValue);
    const QString path = createFile("a.ini", before + "k=1\n" + after);
    QCOMPARE(ProfileFile::readString(path, "S", "k", 255), QByteArray("1"));
    QCOMPARE(ProfileFile::readString(path, "A", "long", 255), longValue);
    QVERIFY(ProfileFile::writeString(path, "S", "k", "2"));
    QCOMPARE(bytesOf(path), before + "k=2\n" + after);
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
