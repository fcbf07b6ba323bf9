#include "MeterRig.h"
#include "meter/Gauge.h"

#include <QScreen>
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

// The window's pixels as last flushed, not painted afresh as grab() does.
QImage onScreen(QWidget &widget)
{
    return widget.screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// textColumns() looks for dark pixels, whatever the desktop's colours.
void darkText(QWidget &label)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::ButtonText, Qt::black);
    label.setPalette(palette);
}

struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }

    int count = 0;
};

} // namespace

class tst_MeterLabel : public QObject
{
    Q_OBJECT

private slots:
    void shouldPaintFillBorderAndCentredText()
    {
        MeterLabel label(nullptr, QStringLiteral("Label"), QRect(0, 0, 257, 17));
        darkText(label);
        label.setBackColour(Qt::white);
        label.setBorder(true);
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
        darkText(label);
        label.setText(QStringLiteral("5%"));
        const QImage image = picture(behind);
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::yellow));
        QVERIFY(textColumns(image).first > 0);
    }

    // What is on the screen follows every change, and only a change
    // repaints: the tick sets the same values ten times a second.
    void shouldRepaintOnlyForAChange()
    {
        MeterLabel label(nullptr, QStringLiteral("Label"), QRect(0, 0, 60, 17));
        darkText(label);
        PaintCounter paints(label);
        label.setBackColour(Qt::white);
        label.setText(QStringLiteral("5%"));
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTRY_VERIFY(paints.count > 0);
        const QImage five = onScreen(label);
        QVERIFY(textColumns(five).first > 0);

        paints.count = 0;
        label.setBackColour(Qt::white);
        label.setText(QStringLiteral("5%"));
        QTest::qWait(50);
        QCOMPARE(paints.count, 0);

        label.setText(QStringLiteral("100%"));
        QTRY_VERIFY(textColumns(onScreen(label)).first < textColumns(five).first);
        label.setBackColour(Qt::green);
        QTRY_COMPARE(onScreen(label).pixelColor(1, 1), QColor(Qt::green));
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
