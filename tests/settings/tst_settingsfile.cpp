#include "Faults.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The keys that are on, in the file's order.
QString onKeys(const SettingsFile::Values &values)
{
    QStringList on;
    const std::pair<bool, QString> all[] = {
        {values.moveMouseOver, SettingsFile::MoveMouseOver}, {values.enableSettings, SettingsFile::EnableSettings},
        {values.enableTray, SettingsFile::EnableTray},       {values.hideWhenFull, SettingsFile::HideWhenFull},
        {values.warnBelow20, SettingsFile::WarnBelow20},     {values.showPercentage, SettingsFile::ShowPercentage}};
    for (const auto &[isOn, key] : all) {
        if (isOn)
            on << key;
    }
    return on.join(QLatin1Char(' '));
}

QByteArray everyKey(const QByteArray &value, const QByteArray &lineEnd = "\n")
{
    QByteArray content = "[PowerMenu]" + lineEnd;
    for (const char *key : {"MoveMouseOver", "EnableSettings", "EnableTray", "HideWhenFull", "WarnBelow20",
                            "ShowPercentage"})
        content += key + ('=' + value) + lineEnd;
    return content;
}

const QString Every = QStringLiteral("MoveMouseOver EnableSettings EnableTray HideWhenFull WarnBelow20 ShowPercentage");
// settings.ini as shipped.
const QString Shipped = QStringLiteral("MoveMouseOver EnableSettings EnableTray WarnBelow20 ShowPercentage");

} // namespace

class tst_SettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadEachKeyAsEachReaderTakesIt_data();
    void shouldReadEachKeyAsEachReaderTakesIt();
    void shouldFallBackToTheShippedValuesAndSaySoOnce_data();
    void shouldFallBackToTheShippedValuesAndSaySoOnce();
};

void tst_SettingsFile::shouldReadEachKeyAsEachReaderTakesIt_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("meter");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("1") << everyKey("1") << Every << Every;
    QTest::newRow("0") << everyKey("0") << "" << "";
    // Only an exact "0" hides the meter's text, only an exact "1" turns anything on.
    QTest::newRow("01") << everyKey("01") << "ShowPercentage" << "";
    QTest::newRow("true") << everyKey("true") << "ShowPercentage" << "";
    QTest::newRow("yes") << everyKey("yes") << "ShowPercentage" << "";
    QTest::newRow("blank") << everyKey("") << "ShowPercentage" << "";
    QTest::newRow("blanks around") << everyKey("  1 ") << Every << Every;
    QTest::newRow("CRLF") << everyKey("1", "\r\n") << Every << Every;
    QTest::newRow("CRLF, 0") << everyKey("0", "\r\n") << "" << "";
    QTest::newRow("capitals in the names") << QByteArray("[POWERMENU]\nMOVEMOUSEOVER=1\nenablesettings=1\n")
                                           << "MoveMouseOver EnableSettings ShowPercentage"
                                           << "MoveMouseOver EnableSettings";
    QTest::newRow("comments") << QByteArray("; EnableTray=1\n[PowerMenu]\n;WarnBelow20=1\nHideWhenFull=1\n")
                              << "HideWhenFull ShowPercentage" << "HideWhenFull";
    QTest::newRow("missing key") << QByteArray("[PowerMenu]\n") << "ShowPercentage" << "";
    QTest::newRow("keys in another section")
        << QByteArray("[Other]\nEnableTray=1\nShowPercentage=0\n[PowerMenu]\nWarnBelow20=1\n[Later]\nEnableTray=1\n")
        << "WarnBelow20 ShowPercentage" << "WarnBelow20";
    QTest::newRow("missing section") << QByteArray("EnableTray=1\n") << "ShowPercentage" << "";
    QTest::newRow("empty file") << QByteArray() << "ShowPercentage" << "";
    for (const QString &key : Every.split(QLatin1Char(' '))) {
        const QString alone = key == SettingsFile::ShowPercentage ? key : key + " ShowPercentage";
        QTest::addRow("only %s", qPrintable(key))
            << "[PowerMenu]\n" + key.toLatin1() + "=1\n" << alone << key;
    }
}

void tst_SettingsFile::shouldReadEachKeyAsEachReaderTakesIt()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, meter);
    QFETCH(QString, dialog);
    QTemporaryDir dir;
    const QString path = SettingsFile::path(dir.path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    QCOMPARE(onKeys(SettingsFile::load(path, SettingsFile::Reader::Meter)), meter);
    QCOMPARE(onKeys(SettingsFile::load(path, SettingsFile::Reader::Dialog)), dialog);
}

void tst_SettingsFile::shouldFallBackToTheShippedValuesAndSaySoOnce_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::newRow("missing") << QByteArray();
    for (const char *kind : {"folder", "named pipe", "device link", "unreadable"})
        QTest::newRow(kind) << QByteArray(kind);
}

// Both readers take the shipped values; a file that is there but cannot be
// read is named once on standard error, however often it is read.
void tst_SettingsFile::shouldFallBackToTheShippedValuesAndSaySoOnce()
{
    QFETCH(QByteArray, kind);
    QTemporaryDir dir;
    const QString path = SettingsFile::path(dir.path());
    const QString unmade = kind.isEmpty() ? QString() : makeUnreadable(path, kind);
    if (!unmade.isEmpty())
        QSKIP(qPrintable(unmade));
    StandardError errors;
    SettingsLocation location(dir.path()); // both readers share the meter's
    QCOMPARE(location.path(), path);
    QCOMPARE(onKeys(SettingsFile::load(location.readFrom(), SettingsFile::Reader::Meter)), Shipped);
    QCOMPARE(onKeys(SettingsFile::load(location.readFrom(), SettingsFile::Reader::Dialog)), Shipped);
    const QList<QByteArray> said = errors.ownLines();
    QCOMPARE(said.size(), kind.isEmpty() ? 0 : 1);
    if (!kind.isEmpty())
        QVERIFY2(said[0].contains(QFile::encodeName(path)), said[0].constData());
}

QTEST_MAIN(tst_SettingsFile)
#include "tst_settingsfile.moc"
