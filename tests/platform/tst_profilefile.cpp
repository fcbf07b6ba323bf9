#include "Faults.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void valueIn_data();
    void valueIn();
    void readStringFromFile_data();
    void readStringFromFile();

    void withValue_data();
    void withValue();
    void writeChangesOnlyOneLine();
    void writeCreatesMissingFile();
    void writeRejectsUnstorableNames_data();
    void writeRejectsUnstorableNames();
    void writeIntoReadOnlyFolder();
    void writeWhereNobodyMayCreateFiles();
    void writeToDirectoryFails();
    void fifoIsNeverOpened();
    void writeFollowsSymlink_data();
    void writeFollowsSymlink();
    void writeKeepsPermissions_data();
    void writeKeepsPermissions();
    void writeOnFullDiskKeepsOldFile();

    void survivesOddContent_data();
    void survivesOddContent();
    void longLineAndLargeFile_data();
    void longLineAndLargeFile();

private:
    QString pathOf(const QString &name) const { return m_dir->filePath(name); }
    QString createFile(const QString &name, const QByteArray &content) const;
    static QByteArray bytesOf(const QString &path);

    std::unique_ptr<QTemporaryDir> m_dir;
};

static const QByteArray bom("\xEF\xBB\xBF");

static void addReadRow(const char *name, const QByteArray &content, const QByteArray &section,
                       const QByteArray &key, const QByteArray &expected)
{
    QTest::newRow(name) << content << section << key << expected;
}

// Section "S", key "k", value "9" unless the row says otherwise.
static void addWriteRow(const char *name, const QByteArray &content, const QByteArray &expected,
                        const QByteArray &section = "S", const QByteArray &key = "k",
                        const QByteArray &value = "9")
{
    QTest::newRow(name) << content << section << key << value << expected;
}

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

void tst_ProfileFile::valueIn_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    addReadRow("names ignore ASCII case", "[General]\nWidth=10\n", "gENERAL", "WIDTH", "10");
    addReadRow("8-bit names compare exactly", "[\xC4]\nk=1\n", "\xE4", "k", "");
    addReadRow("blanks trimmed", " \t[ General ]\t \nWidth \t= \t10 \t\n", "General", "Width",
               "10");
    addReadRow("asked names trimmed", "[S]\nk=1\n", " S ", "\tk ", "1");
    addReadRow("value exact inside", "[S]\nk = A  b=C;#\n", "S", "k", "A  b=C;#");
    addReadRow("split at first =", "[S]\nk==1\n", "S", "k", "=1");
    addReadRow("; comment", "[S]\n;k=1\nk=2\n", "S", "k", "2");
    addReadRow("# comment indented", "[S]\n  # k=1\n", "S", "k", "");
    addReadRow("commented header", ";[S]\nk=1\n", "S", "k", "");
    addReadRow("first key wins", "[S]\nk=1\nK=2\n", "S", "k", "1");
    addReadRow("first section wins", "[S]\na=1\n[s]\nk=2\n", "S", "k", "");
    addReadRow("key of another section", "[A]\nk=1\n[S]\n", "S", "k", "");
    addReadRow("missing section", "[A]\nk=1\n", "S", "k", "");
    addReadRow("missing key", "[S]\nj=1\n", "S", "k", "");
    addReadRow("key before any section", "k=1\n[S]\n", "S", "k", "");
    addReadRow("no section is not the empty one", "k=1\n", "", "k", "");
    addReadRow("text after ] ignored", "[S] ; note\nk=1\n", "S", "k", "1");
    addReadRow("unclosed header no section", "[S]\n[T\nk=1\n", "S", "k", "1");
    addReadRow("line without = ignored", "[S]\nk\nk=1", "S", "k", "1");
    addReadRow("byte-order mark", bom + "[S]\nk=1\n", "S", "k", "1");
    addReadRow("CRLF", "[S]\r\nk=1\r\n", "S", "k", "1");
    addReadRow("NUL in value", QByteArray("[S]\nk=a\0b\n", 10), "S", "k", QByteArray("a\0b", 3));
    addReadRow("NUL is part of a name", QByteArray("[S\0T]\nk=1\n", 10), "S", "k", "");
    addReadRow("empty key names nothing", "[S]\n=1\n", "S", "", "");
}

void tst_ProfileFile::valueIn()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QCOMPARE(ProfileFile::valueIn(content, section, key), expected);
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

void tst_ProfileFile::withValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    addWriteRow("replace keeps the line's own ending",
                "; top\n[A]\nkey=1\n[S]\n  Key = old  \r\nother=2\n",
                "; top\n[A]\nkey=1\n[S]\nKEY=new\r\nother=2\n", "s", "KEY", "new");
    addWriteRow("replace first duplicate", "[S]\nk=1\nk=2\n", "[S]\nk=9\nk=2\n");
    addWriteRow("replace in first section only", "[S]\nk=1\n[S]\nk=2\n", "[S]\nk=9\n[S]\nk=2\n");
    addWriteRow("key before sections untouched", "k=1\n[S]\nk=2", "k=1\n[S]\nk=9");
    addWriteRow("append keeps blank before next section", "[S]\na=1\n\n[B]\nb=2\n",
                "[S]\na=1\nk=9\n\n[B]\nb=2\n");
    addWriteRow("append before comment of next section", "[S]\na=1\n\n; about B\n[B]\n",
                "[S]\na=1\nk=9\n\n; about B\n[B]\n");
    addWriteRow("append into empty section", "[S]\n[B]\n", "[S]\nk=9\n[B]\n");
    addWriteRow("append at end without line ending", "[S]\na=1", "[S]\na=1\nk=9");
    addWriteRow("new section after line ending", "[A]\na=1\n", "[A]\na=1\n[S]\nk=9\n");
    addWriteRow("new section without line ending", "[A]\na=1", "[A]\na=1\n[S]\nk=9\n");
    addWriteRow("CRLF append key", "[S]\r\na=1\r\n\r\n[B]\r\n", "[S]\r\na=1\r\nk=9\r\n\r\n[B]\r\n");
    addWriteRow("CRLF new section", "[A]\r\na=1", "[A]\r\na=1\r\n[S]\r\nk=9\r\n");
    addWriteRow("only CRLFs", "\r\n\r\n", "\r\n\r\n[S]\r\nk=9\r\n");
    addWriteRow("empty file", "", "[S]\nk=9\n");
    addWriteRow("only a byte-order mark", bom, bom + "[S]\nk=9\n");
    addWriteRow("byte-order mark kept", bom + "[S]\r\nk=1\r\n", bom + "[S]\r\nk=9\r\n");
    addWriteRow("names written trimmed", "", "[S]\nk=9\n", " S ", "\tk ");
    addWriteRow("empty value", "[S]\nk=1\n", "[S]\nk=\n", "S", "k", "");
}

void tst_ProfileFile::withValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    const QByteArray result = ProfileFile::withValue(content, section, key, value);
    QCOMPARE(result, expected);
    QCOMPARE(ProfileFile::valueIn(result, section, key), value);
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

void tst_ProfileFile::writeRejectsUnstorableNames_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    const QByteArray s("S");
    const QByteArray k("k");
    const QByteArray v("v");
    QTest::newRow("newline in value") << s << k << QByteArray("a\nb");
    QTest::newRow("carriage return in value") << s << k << QByteArray("a\rb");
    QTest::newRow("newline in key") << s << QByteArray("k\nx") << v;
    QTest::newRow("newline in section") << QByteArray("S\n[T") << k << v;
    QTest::newRow("empty key") << s << QByteArray() << v;
    QTest::newRow("blank key") << s << QByteArray(" \t") << v;
    QTest::newRow("= in key") << s << QByteArray("a=b") << v;
    QTest::newRow("key reads as comment") << s << QByteArray(";k") << v;
    QTest::newRow("key reads as header") << s << QByteArray("[k]") << v;
    QTest::newRow("] in section") << QByteArray("a]b") << k << v;
}

void tst_ProfileFile::writeRejectsUnstorableNames()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const QByteArray content("[S]\nk=1\n");
    const QString path = createFile("a.ini", content);
    QVERIFY(!ProfileFile::writeString(path, section, key, value));
    QCOMPARE(bytesOf(path), content);
    QVERIFY(!ProfileFile::writeString(pathOf("new.ini"), section, key, value));
    QVERIFY(!QFile::exists(pathOf("new.ini")));
    QCOMPARE(ProfileFile::withValue(content, section, key, value), content);
}

void tst_ProfileFile::writeIntoReadOnlyFolder()
{
    const QByteArray content("[S]\nk=1\n");
    const QString path = createFile("a.ini", content);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    if (QFileInfo(m_dir->path()).isWritable())
        QSKIP("running as root, the read-only folder is still writable; "
              "writeWhereNobodyMayCreateFiles covers this case");
    QVERIFY(!ProfileFile::writeString(path, "S", "k", "2"));
    QCOMPARE(bytesOf(path), content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});
}

// Even root cannot create files in /proc, so this runs where the test above skips.
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

void tst_ProfileFile::writeFollowsSymlink_data()
{
    QTest::addColumn<bool>("relative");
    QTest::newRow("absolute target") << false;
    QTest::newRow("relative target") << true;
}

void tst_ProfileFile::writeFollowsSymlink()
{
    QFETCH(bool, relative);
    QVERIFY(QDir(m_dir->path()).mkdir("real"));
    const QString target = createFile("real/a.ini", "[S]\nk=1\n");
    const QString link = pathOf("link.ini");
    QVERIFY(QFile::link(relative ? QString("real/a.ini") : target, link));
    QVERIFY(ProfileFile::writeString(link, "S", "k", "2"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(bytesOf(target), QByteArray("[S]\nk=2\n"));
    const QDir::Filters anyFile = QDir::Files | QDir::System | QDir::Hidden;
    QCOMPARE(QDir(m_dir->path()).entryList(anyFile), QStringList{"link.ini"});
}

void tst_ProfileFile::writeKeepsPermissions_data()
{
    QTest::addColumn<QFile::Permissions>("permissions");
    QTest::newRow("0600") << (QFile::ReadOwner | QFile::WriteOwner);
    QTest::newRow("0640") << (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}

void tst_ProfileFile::writeKeepsPermissions()
{
    QFETCH(QFile::Permissions, permissions);
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    const QString path = createFile("a.ini", "[S]\nk=1\n");
    QVERIFY(QFile::setPermissions(path, permissions));
    QVERIFY(ProfileFile::writeString(path, "S", "k", "2"));
    QCOMPARE(bytesOf(path), QByteArray("[S]\nk=2\n"));
    QCOMPARE(QFile::permissions(path) & ~userBits, permissions);
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
