#include "settings/IniText.h"

#include <QTest>

class tst_IniText : public QObject
{
    Q_OBJECT

private slots:
    void valueIn_data();
    void valueIn();
    void withValue_data();
    void withValue();
    void refusesUnstorableNames_data();
    void refusesUnstorableNames();
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

void tst_IniText::valueIn_data()
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

void tst_IniText::valueIn()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QCOMPARE(IniText::valueIn(content, section, key), expected);
}

void tst_IniText::withValue_data()
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

void tst_IniText::withValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    const QByteArray result = IniText::withValue(content, section, key, value);
    QCOMPARE(result, expected);
    QCOMPARE(IniText::valueIn(result, section, key), value);
}

void tst_IniText::refusesUnstorableNames_data()
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

// Refused rather than written as something that reads back otherwise.
void tst_IniText::refusesUnstorableNames()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const QByteArray content("[S]\nk=1\n");
    QVERIFY(!IniText::isStorable(section, key, value));
    QCOMPARE(IniText::withValue(content, section, key, value), content);
}

QTEST_APPLESS_MAIN(tst_IniText)
#include "tst_initext.moc"
