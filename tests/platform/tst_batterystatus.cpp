#include "platform/BatteryStatus.h"

#include <QTest>

// The percentage rules both battery sources share: which of a source's own
// percentages is a reading (UPower's Percentage, the kernel's capacity), and
// how any percentage becomes the charge (UPower's, or the kernel's energy
// and charge ratios).
class tst_BatteryStatus : public QObject
{
    Q_OBJECT

private slots:
    void shouldConvertPercentages_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("reading");
        QTest::addColumn<int>("charge"); // -1: none

        QTest::newRow("57.4 rounds down") << 57.4 << true << 57;
        QTest::newRow("57.5 rounds up") << 57.5 << true << 58;
        QTest::newRow("empty") << 0.0 << true << 0;
        QTest::newRow("full") << 100.0 << true << 100;
        // Outside 0..100 a source's own percentage is no reading; a ratio
        // there (energy above full) is clamped.
        QTest::newRow("just below 0") << -0.1 << false << 0;
        QTest::newRow("below 0") << -5.0 << false << 0;
        QTest::newRow("just above 100") << 100.1 << false << 100;
        QTest::newRow("huge") << 1e308 << false << 100;
        QTest::newRow("not a number") << qQNaN() << false << -1;
        QTest::newRow("infinite") << qInf() << false << -1;
    }

    void shouldConvertPercentages()
    {
        QFETCH(double, value);
        QFETCH(bool, reading);
        QFETCH(int, charge);
        QCOMPARE(BatteryStatus::isPercent(value), reading);
        QCOMPARE(BatteryStatus::toPercent(value).value_or(-1), charge);
    }
};

QTEST_APPLESS_MAIN(tst_BatteryStatus)
#include "tst_batterystatus.moc"
