#include "common/ProgramIcon.h"

#include <QPainter>
#include <QResource>
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

    // The sizes offered to the window system at start-up must come from
    // the build, uncompressed: drawing them would bring the SVG code back.
    void shouldOfferOnlyReadyMadeSizes()
    {
        const QList<QSize> sizes = programIcon().availableSizes();
        QVERIFY(!sizes.isEmpty());
        for (const QSize &size : sizes) {
            const QResource raw(QStringLiteral(":/dimmerling-%1.rgba").arg(size.width()));
            QVERIFY2(raw.isValid(), qPrintable(raw.fileName()));
            QCOMPARE(raw.compressionAlgorithm(), QResource::NoCompression);
            QCOMPARE(raw.size(), qint64(size.width()) * size.height() * 4);
            const QImage ready(raw.data(), size.width(), size.height(), QImage::Format_RGBA8888_Premultiplied);
            QCOMPARE(ready.convertToFormat(QImage::Format_ARGB32_Premultiplied), fromSvg(size.width()));
        }
    }
};

QTEST_MAIN(tst_ProgramIcon)
#include "tst_programicon.moc"
