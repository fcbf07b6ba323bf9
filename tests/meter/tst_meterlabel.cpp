#include "MeterRig.h"
#include "meter/Gauge.h"

#include <QTest>

namespace {

const QByteArray Shown = "[PowerMenu]\nShowPercentage=1\nEnableTray=0\nWarnBelow20=0\n";
const QByteArray Hidden = "[PowerMenu]\nShowPercentage=0\nEnableTray=0\nWarnBelow20=0\n";

QImage picture(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The first and last columns, between the border's, with dark (text) pixels;
// the text is black and every fill here is light.
std::pair<int, int> textColumns(const QImage &image)
{
    int first = -1;
    int last = -1;
    for (int x = 1; x < image.width() - 1; ++x) {
        for (int y = 1; y < image.height() - 1; ++y) {
            if (qGray(image.pixel(x, y)) < 100) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
    }
    return {first, last};
}

} // namespace

class tst_MeterLabel : public QObject
{
    Q_OBJECT

private slots:
    void shouldPaintFillBorderAndCentredText()
    {
        MeterLabel label(nullptr, QStringLiteral("Label"), QRect(0, 0, 257, 17));
        label.setBackColour(Qt::white);
        label.setBorder(true);
        QCOMPARE(label.palette().color(QPalette::ButtonText), QColor(Qt::black));
        label.setText(QStringLiteral("57%"));
        const QImage image = picture(label);
        const QColor border = label.palette().color(QPalette::WindowText);
        for (const QPoint corner : {QPoint(0, 0), QPoint(256, 0), QPoint(0, 16), QPoint(256, 16), QPoint(128, 16)})
            QCOMPARE(image.pixelColor(corner), border);
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(255, 15), QColor(Qt::white));
        const auto [first, last] = textColumns(image);
        QVERIFY2(first > 0, "no text drawn");
        QVERIFY2(qAbs(first - (256 - last)) <= 2, qPrintable(QStringLiteral("%1..%2").arg(first).arg(last)));

        label.setText(QStringLiteral("100%"));
        const auto [wideFirst, wideLast] = textColumns(picture(label));
        QVERIFY(wideFirst < first && wideLast > last);
    }

    void shouldLeaveWhatLiesBehindWithoutAFill()
    {
        QWidget behind;
        behind.resize(40, 17);
        behind.setAutoFillBackground(true);
        QPalette palette = behind.palette();
        palette.setColor(QPalette::Window, Qt::yellow);
        behind.setPalette(palette);
        MeterLabel label(&behind, QStringLiteral("Label"), QRect(0, 0, 40, 17));
        label.setText(QStringLiteral("5%"));
        const QImage image = picture(behind);
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::yellow));
        QVERIFY(textColumns(image).first > 0);
    }

    // The whole gauge: outline, bar and percentage over each other.
    void shouldDrawTheGaugeInLayers()
    {
        MeterRig rig;
        Meter &meter = rig.load(Shown);
        rig.tick(57, 1);
        QImage image = picture(meter);
        QCOMPARE(image.pixelColor(5, 8), toQColor(Gauge::Orange));
        QCOMPARE(image.pixelColor(200, 8), toQColor(Gauge::LightBlue));
        QCOMPARE(image.pixelColor(0, 8), meter.palette().color(QPalette::WindowText));
        QVERIFY(textColumns(image).first > 0);

        rig.tick(19, 0);
        image = picture(meter);
        QCOMPARE(image.pixelColor(5, 8), toQColor(Gauge::Red));
        QCOMPARE(image.pixelColor(200, 8), toQColor(Gauge::White));
    }

    void shouldDrawNoPercentageWhenItIsHidden()
    {
        MeterRig rig;
        Meter &meter = rig.load(Hidden);
        rig.tick(57, 0);
        QCOMPARE(textColumns(picture(meter)).first, -1);
    }
};

QTEST_MAIN(tst_MeterLabel)
#include "tst_meterlabel.moc"
