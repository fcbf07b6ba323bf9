#include "MeterRig.h"

#include <QAccessible>
#include <QTest>

// What a screen reader learns from the gauge: its name and its reading.
namespace {

QString accessibleText(QWidget *widget, QAccessible::Text text)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : QStringLiteral("(no interface)");
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadThePercentageAndThePowerSource_data();
    void shouldReadThePercentageAndThePowerSource();
    void shouldFollowTheReading();
    void shouldReadThePercentageAsText();
};

void tst_Accessibility::shouldReadThePercentageAndThePowerSource_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("charge");
    QTest::addColumn<int>("ac");
    QTest::addColumn<QString>("reading");
    const QByteArray shown = "[PowerMenu]\nEnableTray=0\n";
    QTest::newRow("on battery") << shown << 57 << 0 << "57%, on battery";
    QTest::newRow("charging") << shown << 8 << 1 << "8%, on AC power";
    QTest::newRow("no battery") << shown << 255 << 1 << "100%, on AC power";
    QTest::newRow("percentage not shown") << shown + "ShowPercentage=0\n" << 31 << 0 << "31%, on battery";
}

void tst_Accessibility::shouldReadThePercentageAndThePowerSource()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, charge);
    QFETCH(int, ac);
    QFETCH(QString, reading);
    MeterRig rig;
    Meter &meter = rig.load(settings);
    rig.tick(qint16(charge), qint16(ac));
    QCOMPARE(accessibleText(&meter, QAccessible::Name), QStringLiteral("Battery gauge"));
    QCOMPARE(accessibleText(&meter, QAccessible::Description), reading);
}

void tst_Accessibility::shouldReadThePercentageAsText()
{
    MeterRig rig;
    rig.load("[PowerMenu]\nEnableTray=0\n");
    rig.tick(57);
    QAccessibleInterface *percentage = QAccessible::queryAccessibleInterface(rig.label3());
    QVERIFY(percentage);
    QCOMPARE(percentage->role(), QAccessible::StaticText);
    QCOMPARE(percentage->text(QAccessible::Name), QStringLiteral("57%"));
    rig.tick(56);
    QCOMPARE(percentage->text(QAccessible::Name), QStringLiteral("56%"));
}

void tst_Accessibility::shouldFollowTheReading()
{
    MeterRig rig;
    Meter &meter = rig.load("[PowerMenu]\nEnableTray=0\n");
    QCOMPARE(accessibleText(&meter, QAccessible::Description), QString());
    rig.tick(57);
    rig.tick(57, 1);
    QCOMPARE(accessibleText(&meter, QAccessible::Description), QStringLiteral("57%, on AC power"));
    rig.tick(12, 1);
    QCOMPARE(accessibleText(&meter, QAccessible::Description), QStringLiteral("12%, on AC power"));
    rig.tick(12, 0);
    QCOMPARE(accessibleText(&meter, QAccessible::Description), QStringLiteral("12%, on battery"));
    QCOMPARE(accessibleText(&meter, QAccessible::Name), QStringLiteral("Battery gauge"));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
