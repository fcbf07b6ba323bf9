#include "SysfsTree.h"
#include "platform/battery/SysfsBattery.h"

#include <QTest>

class tst_SysfsBattery : public QObject
{
    Q_OBJECT

private:
    SysfsTree m_tree;

private slots:
    void initTestCase() { QVERIFY(m_tree.isValid()); }

    void shouldReadChargeAndPower_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<int>("charge");
        QTest::addColumn<int>("ac");

        QTest::newRow("energy") << QStringList{"BAT0/type=Battery", "BAT0/energy_now=30000000",
                                               "BAT0/energy_full=40000000"} << 75 << 0;
        QTest::newRow("charge only") << QStringList{"BAT0/type=Battery", "BAT0/charge_now=2500000",
                                                    "BAT0/charge_full=5000000"} << 50 << 0;
        QTest::newRow("capacity only") << QStringList{"BAT0/type=Battery", "BAT0/capacity=42"} << 42 << 0;
        QTest::newRow("energy beats charge and capacity")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=3", "BAT0/energy_full=4",
                           "BAT0/charge_now=1", "BAT0/charge_full=2", "BAT0/capacity=10"} << 75 << 0;
        QTest::newRow("two by energy, even")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=10", "BAT0/energy_full=50",
                           "BAT1/type=Battery", "BAT1/energy_now=40", "BAT1/energy_full=50"} << 50 << 0;
        QTest::newRow("two by energy, weighted, to the nearest")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=9", "BAT0/energy_full=10",
                           "BAT1/type=Battery", "BAT1/energy_now=10", "BAT1/energy_full=89"} << 19 << 0;
        QTest::newRow("charge when one lacks energy")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=9", "BAT0/energy_full=10",
                           "BAT0/charge_now=1", "BAT0/charge_full=10",
                           "BAT1/type=Battery", "BAT1/charge_now=9", "BAT1/charge_full=90"} << 10 << 0;
        QTest::newRow("mixed sources averaged, half rounds up")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=1", "BAT0/energy_full=4",
                           "BAT1/type=Battery", "BAT1/capacity=80"} << 53 << 0;
        QTest::newRow("device scope ignored")
            << QStringList{"BAT0/type=Battery", "BAT0/capacity=40", "hidpp_battery_0/type=Battery",
                           "hidpp_battery_0/scope=Device", "hidpp_battery_0/capacity=100"} << 40 << 0;
        QTest::newRow("only a mouse battery")
            << QStringList{"hidpp_battery_0/type=Battery", "hidpp_battery_0/scope=Device",
                           "hidpp_battery_0/capacity=100"} << 255 << 1;
        QTest::newRow("system scope counted")
            << QStringList{"BAT0/type=Battery", "BAT0/scope=System", "BAT0/capacity=40"} << 40 << 0;
        QTest::newRow("absent battery ignored")
            << QStringList{"BAT0/type=Battery", "BAT0/present=0", "BAT0/capacity=90",
                           "BAT1/type=Battery", "BAT1/present=1", "BAT1/capacity=30"} << 30 << 0;
        QTest::newRow("empty folder") << QStringList{} << 255 << 1;
        QTest::newRow("capacity abc") << QStringList{"BAT0/type=Battery", "BAT0/capacity=abc"} << 255 << 1;
        QTest::newRow("capacity empty") << QStringList{"BAT0/type=Battery", "BAT0/capacity="} << 255 << 1;
        // Half-written files and drivers' oddities: no number, no battery.
        for (const char *junk : {"12abc", "1e6", "0x10", "\u00bd", " "})
            QTest::addRow("capacity '%s'", junk)
                << QStringList{"BAT0/type=Battery", "BAT0/capacity=" + QString::fromUtf8(junk)} << 255 << 1;
        QTest::newRow("negative energy falls back")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=-5", "BAT0/energy_full=50", "BAT0/capacity=40"}
            << 40 << 0;
        QTest::newRow("unreadable battery beside a good one")
            << QStringList{"BAT0/type=Battery", "BAT0/capacity=abc", "BAT1/type=Battery",
                           "BAT1/capacity=70"} << 70 << 0;
        QTest::newRow("huge number falls back")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=99999999999999999999999",
                           "BAT0/energy_full=50", "BAT0/capacity=60"} << 60 << 0;
        QTest::newRow("overlong attribute falls back")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=" + QString(80, QLatin1Char('1')),
                           "BAT0/energy_full=50", "BAT0/capacity=61"} << 61 << 0;
        QTest::newRow("energy_full 0 falls back")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=10", "BAT0/energy_full=0",
                           "BAT0/capacity=33"} << 33 << 0;
        QTest::newRow("capacity 150 is no reading")
            << QStringList{"BAT0/type=Battery", "BAT0/capacity=150"} << 255 << 0;
        QTest::newRow("energy above full")
            << QStringList{"BAT0/type=Battery", "BAT0/energy_now=60", "BAT0/energy_full=50"} << 100 << 0;
        QTest::newRow("mains online") << QStringList{"BAT0/type=Battery", "BAT0/capacity=50",
                                                     "AC/type=Mains", "AC/online=1"} << 50 << 1;
        QTest::newRow("mains offline") << QStringList{"BAT0/type=Battery", "BAT0/capacity=50",
                                                      "AC/type=Mains", "AC/online=0"} << 50 << 0;
        QTest::newRow("usb online") << QStringList{"BAT0/type=Battery", "BAT0/capacity=50",
                                                   "AC/type=Mains", "AC/online=0",
                                                   "usb0/type=USB", "usb0/online=1"} << 50 << 1;
        QTest::newRow("usb-c programmable") << QStringList{"BAT0/type=Battery", "BAT0/capacity=50",
                                                           "ucsi/type=USB_C", "ucsi/online=2"} << 50 << 1;
        QTest::newRow("other type online") << QStringList{"BAT0/type=Battery", "BAT0/capacity=50",
                                                          "ups/type=UPS", "ups/online=1"} << 50 << 0;
        QTest::newRow("mains without battery") << QStringList{"AC/type=Mains", "AC/online=0"} << 255 << 1;
    }

    void shouldReadChargeAndPower()
    {
        QFETCH(QStringList, tree);
        QFETCH(int, charge);
        QFETCH(int, ac);
        QVERIFY(m_tree.write(tree));
        SysfsBattery battery(m_tree.root(), 0);
        QCOMPARE(battery.charge(), charge);
        QCOMPARE(battery.acStatus(), ac);
    }

    void shouldFindNoBatteryWithoutTheFolder()
    {
        SysfsBattery battery(m_tree.root() + QStringLiteral("/nothing"), 0);
        QCOMPARE(battery.charge(), BatteryStatus::NoBattery);
        QCOMPARE(battery.acStatus(), 1);
    }

    void shouldNoticeARemovedBattery()
    {
        QVERIFY(m_tree.write({"BAT0/type=Battery", "BAT0/capacity=20",
                              "BAT1/type=Battery", "BAT1/capacity=80"}));
        SysfsBattery battery(m_tree.root(), 0);
        QCOMPARE(battery.charge(), 50);
        QVERIFY(m_tree.remove(QStringLiteral("BAT1")));
        QCOMPARE(battery.charge(), 20);
        QVERIFY(m_tree.remove(QStringLiteral("BAT0")));
        QCOMPARE(battery.charge(), BatteryStatus::NoBattery);
        QCOMPARE(battery.acStatus(), 1);
    }

    void shouldKeepTheLastChargeWhileCapacityIsOutOfRange()
    {
        QVERIFY(m_tree.write({"BAT0/type=Battery", "BAT0/capacity=40"}));
        SysfsBattery battery(m_tree.root(), 0);
        QCOMPARE(battery.charge(), 40);
        for (const char *bad : {"BAT0/capacity=150", "BAT0/capacity=-5"}) {
            QVERIFY(m_tree.set(bad));
            QCOMPARE(battery.charge(), 40);
            QCOMPARE(battery.acStatus(), 0);
        }
        QVERIFY(m_tree.set("BAT0/capacity=30"));
        QCOMPARE(battery.charge(), 30);
        // A second battery that reads nothing sensible does not freeze the first.
        QVERIFY(m_tree.write({"BAT0/type=Battery", "BAT0/capacity=25", "BAT1/type=Battery", "BAT1/capacity=101"}));
        QCOMPARE(battery.charge(), 25);
    }

    void shouldKeepAScanUntilItAges()
    {
        QVERIFY(m_tree.write({"BAT0/type=Battery", "BAT0/capacity=20", "AC/type=Mains", "AC/online=0"}));
        SysfsBattery cached(m_tree.root(), 100000);
        QCOMPARE(cached.charge(), 20);
        QVERIFY(m_tree.write({"BAT0/type=Battery", "BAT0/capacity=90", "AC/type=Mains", "AC/online=1"}));
        QCOMPARE(cached.charge(), 20);
        QCOMPARE(cached.acStatus(), 0);
        SysfsBattery fresh(m_tree.root(), 100000);
        QCOMPARE(fresh.charge(), 90);
        QCOMPARE(fresh.acStatus(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_SysfsBattery)
#include "tst_sysfsbattery.moc"
