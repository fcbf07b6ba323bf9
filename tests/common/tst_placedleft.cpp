#include "common/PlacedLeft.h"

#include <QTest>

class tst_PlacedLeft : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadBackWhatWasAskedOnlyOnItsPixel_data()
    {
        QTest::addColumn<bool>("placed");
        QTest::addColumn<float>("asked");
        QTest::addColumn<int>("pixel");
        QTest::addColumn<int>("x");
        QTest::addColumn<float>("read");
        QTest::newRow("the left place") << true << 255.0F << 17 << 17 << 255.0F;
        QTest::newRow("between two pixels") << true << 1000.0F << 67 << 67 << 1000.0F;
        // 2560 device pixels at 1.5 give a work area 1707 pixels wide.
        QTest::newRow("right place at a 1.5 scale") << true << 20605.0F << 1374 << 1374 << 20605.0F;
        QTest::newRow("moved by someone else") << true << 1000.0F << 67 << 68 << 1020.0F;
        QTest::newRow("left of the screen") << true << -1000.0F << -67 << -67 << -1000.0F;
        QTest::newRow("never placed") << false << 0.0F << 0 << 17 << 255.0F;
    }

    void shouldReadBackWhatWasAskedOnlyOnItsPixel()
    {
        QFETCH(bool, placed);
        QFETCH(float, asked);
        QFETCH(int, pixel);
        QFETCH(int, x);
        QFETCH(float, read);
        PlacedLeft left;
        if (placed)
            QCOMPARE(left.place(asked), pixel);
        QCOMPARE(left.read(x), read);
    }
};

QTEST_MAIN(tst_PlacedLeft)
#include "tst_placedleft.moc"
