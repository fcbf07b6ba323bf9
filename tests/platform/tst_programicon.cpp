#include "platform/ProgramIcon.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

namespace {

QImage fromSvg(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(QStringLiteral(":/dimmerling.svg")).render(&painter);
    painter.end();
    return image;
}

} // namespace

class tst_ProgramIcon : public QObject
{
    Q_OBJECT

private slots:
    // The ready-made sizes must show the same pixels the SVG gives, in
    // the right byte order; any other size is drawn from the SVG.
    void shouldShowTheSvgAtEverySize_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::newRow("ready-made 16") << 16;
        QTest::newRow("ready-made 32") << 32;
        QTest::newRow("drawn 24") << 24;
        QTest::newRow("drawn 64") << 64;
    }

    void shouldShowTheSvgAtEverySize()
    {
        QFETCH(int, pixels);
        const QImage shown = programIcon().pixmap(pixels, pixels).toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(shown.size(), QSize(pixels, pixels));
        QCOMPARE(shown, fromSvg(pixels));
    }

    void shouldOfferTheReadyMadeSizes()
    {
        QCOMPARE(programIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    }
};

QTEST_MAIN(tst_ProgramIcon)
#include "tst_programicon.moc"
