#include "Layout.h"
#include "MeterRig.h"
#include "common/Twips.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

// The meter on the primary of two screens of 2560 x 1600 device pixels
// scaled by QT_SCALE_FACTOR (2 unless the environment says otherwise), the
// primary right of and below the other: everything the design says in
// pixels holds in device-independent pixels from the primary's corner.
namespace {

constexpr int LeftPlace = 17;
constexpr float LeftPlaceTwips = 255.0F;
const QByteArray OnClick = "[PowerMenu]\nMoveMouseOver=0\nEnableTray=0\nEnableSettings=1\n";

double scaleFactor()
{
    return qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
}

QPoint onPrimary(int x, int y)
{
    return QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(x, y);
}

// (screen width - 5000 twips), in pixels, as the design places it.
int rightPlace(const QRect &area)
{
    return Twips::toPixels(Twips::fromPixels(area.x() + area.width()) - 5000.0F);
}

// The real work area, not the rig's fixed one.
Meter &loadOnTheRealScreen(MeterRig &rig)
{
    rig.useRealDesktop = true;
    return rig.load(OnClick);
}

// The pixels alone, whatever ratio they were drawn for.
QImage pixels(const QPixmap &pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    return image;
}

QWidget *topLevel(const QString &name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

class tst_HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void shouldRunOnAScaledScreen();
    void shouldKeepTheDesignGeometryInDeviceIndependentPixels();
    void shouldDodgeBetweenTheTwoPlaces();
    void shouldDodgeOnAClickAtTheScaledPosition();
    void shouldDrawTheWindowAtFullResolution();
    void shouldRenderTheIconAtTheScreensResolution_data();
    void shouldRenderTheIconAtTheScreensResolution();
    void shouldShowTheDialogsWholeWithSharpPictures();
};

void tst_HiDpi::shouldRunOnAScaledScreen()
{
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), scaleFactor());
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().width(), qRound(2560 / scaleFactor()));
}

void tst_HiDpi::shouldKeepTheDesignGeometryInDeviceIndependentPixels()
{
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    QCOMPARE(meter.devicePixelRatioF(), scaleFactor());
    QCOMPARE(meter.size(), QSize(257, 17));
    QCOMPARE(meter.screen(), QGuiApplication::primaryScreen());
    QCOMPARE(meter.pos(), QPoint(rightPlace(meter.screen()->availableGeometry()), onPrimary(0, 2).y()));
    QCOMPARE(rig.label3()->geometry(), QRect(0, 2, 257, 17));
}

void tst_HiDpi::shouldDodgeBetweenTheTwoPlaces()
{
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    const int right = meter.x();
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(rig.label3(), Qt::LeftButton);
        QCOMPARE(meter.pos(), onPrimary(LeftPlace, 2));
        QCOMPARE(rig.realDesktop.left(&meter), LeftPlaceTwips);
        QTest::mouseClick(rig.label3(), Qt::LeftButton);
        QCOMPARE(meter.pos(), QPoint(right, onPrimary(0, 2).y()));
    }
}

void tst_HiDpi::shouldDodgeOnAClickAtTheScaledPosition()
{
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    QTest::mouseClick(rig.label3(), Qt::LeftButton, {}, QPoint(250, 15));
    QCOMPARE(meter.pos(), onPrimary(LeftPlace, 2));
    QTest::mouseClick(rig.label3(), Qt::LeftButton, {}, QPoint(250, 15));
    QVERIFY(meter.pos() != onPrimary(LeftPlace, 2));
}

void tst_HiDpi::shouldDrawTheWindowAtFullResolution()
{
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    rig.tick(57);
    const QImage shot = pixels(meter.grab());
    QCOMPARE(shot.size(), QSize(qCeil(257 * scaleFactor()), qCeil(17 * scaleFactor())));
    // The same window drawn at one device pixel per pixel, then blown up,
    // would be blurred or blocky: the percentage must differ from that.
    QImage small(meter.size(), QImage::Format_ARGB32_Premultiplied);
    meter.render(&small);
    QVERIFY(shot != small.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    QVERIFY(shot != small.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void tst_HiDpi::shouldRenderTheIconAtTheScreensResolution_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("tray") << 16;
    QTest::newRow("task switcher") << 32;
}

void tst_HiDpi::shouldRenderTheIconAtTheScreensResolution()
{
    QFETCH(int, size);
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    const QIcon icon = meter.windowIcon();
    const QPixmap scaled = icon.pixmap(QSize(size, size), scaleFactor());
    const int devicePixels = qRound(size * scaleFactor());
    QCOMPARE(scaled.size(), QSize(devicePixels, devicePixels));
    // Drawn for the device pixels, not a small picture blown up.
    QCOMPARE(pixels(scaled), pixels(icon.pixmap(QSize(devicePixels, devicePixels), 1.0)));
}

void tst_HiDpi::shouldShowTheDialogsWholeWithSharpPictures()
{
    MeterRig rig;
    Meter &meter = loadOnTheRealScreen(rig);
    meter.findChild<QAction *>(QStringLiteral("MnuAbout"))->trigger();
    rig.mnuSettings()->trigger();
    QWidget *about = topLevel(QStringLiteral("About"));
    QWidget *settings = topLevel(QStringLiteral("Settings"));
    QVERIFY(about && settings);
    for (const QWidget *dialog : {about, settings}) {
        QCOMPARE(Layout::faults(dialog), QString());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(dialog->geometry()));
    }
    QVERIFY(QTest::qWaitForWindowExposed(about));
    for (const char *name : {"Image1", "Image2"}) {
        const auto *label = about->findChild<QLabel *>(name);
        QVERIFY(label);
        // The donate button is a link: its label's text shows the picture.
        const QPixmap picture = label->pixmap().isNull()
                                    ? qvariant_cast<QPixmap>(label->resourceProvider()(QUrl()))
                                    : label->pixmap();
        QCOMPARE(picture.devicePixelRatio(), scaleFactor());
        QCOMPARE(picture.size(), label->size() * scaleFactor());
    }
    settings->close();
    about->hide();
}

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    // The offscreen platform takes the screens in the order of their names: the first is the primary.
    screens.write(R"({"screens": [{"name": "Primary", "x": 2560, "y": 800, "width": 2560, "height": 1600,
                                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
                                  {"name": "Secondary", "x": 0, "y": 0, "width": 2560, "height": 1600,
                                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    tst_HiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
