#include "MeterRig.h"
#include "settings/SettingsFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>

namespace {

const QByteArray AllOff = "[PowerMenu]\nMoveMouseOver=0\nEnableSettings=0\nEnableTray=0\n"
                          "HideWhenFull=0\nWarnBelow20=0\nShowPercentage=0\n";
const QByteArray WarnOn = "[PowerMenu]\nWarnBelow20=1\n";

QColor background(const Meter &meter, const char *label)
{
    return meter.findChild<MeterLabel *>(QLatin1String(label))->backColour();
}

// The message boxes on the screen, oldest first.
QList<QMessageBox *> openBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
            boxes.prepend(box);
    }
    return boxes;
}

QWidget *controlOf(const char *window, const char *control)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String(window))
            return top->findChild<QWidget *>(QLatin1String(control));
    }
    return nullptr;
}

int alpha(const Meter &meter)
{
    return qRound(meter.windowOpacity() * 255);
}

} // namespace

class tst_Meter : public QObject
{
    Q_OBJECT

private slots:
    void shouldStartOnTopWithoutAFrameAtTheRightPlace();
    void shouldApplyEachKeyOfTheFile_data();
    void shouldApplyEachKeyOfTheFile();
    void shouldWriteTheShippedFileWhenNoneExists();
    void shouldMakeNoFileWhereTheFolderIsGone();
    void shouldLeaveALinkToAMissingFileAlone();
    void shouldStartOffScreenWhenThereIsNoWorkArea();
    void shouldDrawEachCharge_data();
    void shouldDrawEachCharge();
    void shouldShowPowerSource_data();
    void shouldShowPowerSource();
    void shouldWarnOncePerLowEpisode_data();
    void shouldWarnOncePerLowEpisode();
    void shouldNotWarnWhenSwitchedOnDuringAnEpisode();
    void shouldKeepTickingWhileWarningsStandOpen_data();
    void shouldKeepTickingWhileWarningsStandOpen();
    void shouldKeepTickingWhileAPromptIsOpen_data();
    void shouldKeepTickingWhileAPromptIsOpen();
    void shouldHideOnlyAtFullCharge();
    void shouldLeaveVisibilityAloneWhenHidingIsOff();
};

void tst_Meter::shouldStartOnTopWithoutAFrameAtTheRightPlace()
{
    MeterRig rig;
    Meter &meter = rig.load(AllOff);
    QVERIFY(rig.desktop.topmost.contains(&meter));
    QVERIFY(meter.windowFlags() & Qt::FramelessWindowHint);
    // 1280 px is 19200 twips; 5000 twips to its left is 946.7 px.
    QCOMPARE(meter.geometry(), QRect(947, 2, 257, 17));
    QCOMPARE(rig.label3()->text(), QStringLiteral("Loading..."));
}

// One key on at a time, so that two keys crossed on their way to the
// window show as a wrong switch.
void tst_Meter::shouldApplyEachKeyOfTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("on");
    QTest::newRow("all off") << AllOff << QString();
    for (const char *key : {"MoveMouseOver", "HideWhenFull", "WarnBelow20", "EnableSettings", "EnableTray"}) {
        QTest::addRow("only %s", key) << "[PowerMenu]\n" + QByteArray(key) + "=1\n"
                                      << QLatin1String(key) + QStringLiteral(" ShowPercentage");
    }
    // Kept as it is, not taken for a missing one.
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("ShowPercentage");
}

void tst_Meter::shouldApplyEachKeyOfTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, on);
    MeterRig rig;
    rig.load(content);
    QStringList seen;
    if (rig.mnuSettings()->isEnabled())
        seen << QStringLiteral("EnableSettings");
    if (rig.tray.shown)
        seen << QStringLiteral("EnableTray");
    if (!rig.label3()->isHidden())
        seen << QStringLiteral("ShowPercentage");
    seen.prepend(rig.switches());
    seen.removeAll(QString());
    QCOMPARE(seen.join(QLatin1Char(' ')), on);
}

void tst_Meter::shouldWriteTheShippedFileWhenNoneExists()
{
    MeterRig rig;
    rig.load();
    QFile shipped(QStringLiteral(":/settings.ini"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QCOMPARE(rig.settings(), shipped.readAll());
}

void tst_Meter::shouldMakeNoFileWhereTheFolderIsGone()
{
    MeterRig rig;
    rig.application.folderPath = rig.dir.filePath(QStringLiteral("gone"));
    rig.load();
    QVERIFY(!QFile::exists(rig.application.folderPath + QStringLiteral("/settings.ini")));
}

void tst_Meter::shouldLeaveALinkToAMissingFileAlone()
{
    MeterRig rig;
    const QString target = rig.dir.filePath(QStringLiteral("unmounted/settings.ini"));
    QVERIFY(QFile::link(target, rig.settingsPath()));
    rig.load();
    QVERIFY(QFileInfo(rig.settingsPath()).isSymLink());
    QVERIFY(!QFile::exists(target));
}

void tst_Meter::shouldStartOffScreenWhenThereIsNoWorkArea()
{
    MeterRig rig;
    rig.desktop.area.reset();
    Meter &meter = rig.load(AllOff);
    QCOMPARE(meter.x(), -333);
    QCOMPARE(meter.y(), 2);
}

void tst_Meter::shouldDrawEachCharge_data()
{
    QTest::addColumn<qint16>("charge");
    QTest::addColumn<int>("barPixels");
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("opacity");
    QTest::newRow("full") << qint16(100) << 255 << Gauge::Green << QStringLiteral("100%") << 50;
    QTest::newRow("81") << qint16(81) << 206 << Gauge::Green << QStringLiteral("81%") << 88;
    QTest::newRow("80 is not green") << qint16(80) << 204 << Gauge::Orange << QStringLiteral("80%") << 90;
    QTest::newRow("50") << qint16(50) << 127 << Gauge::Orange << QStringLiteral("50%") << 150;
    QTest::newRow("20 is not red") << qint16(20) << 51 << Gauge::Orange << QStringLiteral("20%") << 210;
    QTest::newRow("19") << qint16(19) << 48 << Gauge::Red << QStringLiteral("19%") << 212;
    QTest::newRow("empty") << qint16(0) << 0 << Gauge::Red << QStringLiteral("0%") << 250;
    QTest::newRow("no battery reads full") << qint16(255) << 255 << Gauge::Green << QStringLiteral("100%") << 50;
    QTest::newRow("over 100") << qint16(104) << 255 << Gauge::Green << QStringLiteral("100%") << 50;
    QTest::newRow("negative") << qint16(-7) << 0 << Gauge::Red << QStringLiteral("0%") << 250;
}

void tst_Meter::shouldDrawEachCharge()
{
    QFETCH(qint16, charge);
    QFETCH(int, barPixels);
    QFETCH(Colour, colour);
    QFETCH(QString, caption);
    QFETCH(int, opacity);
    MeterRig rig;
    Meter &meter = rig.load(AllOff);
    rig.tick(charge);
    const auto *bar = meter.findChild<MeterLabel *>(QStringLiteral("Label2"));
    QCOMPARE(bar->geometry(), QRect(1, 1, barPixels, 15));
    QCOMPARE(background(meter, "Label2"), toQColor(colour));
    QCOMPARE(rig.label3()->text(), caption);
    QCOMPARE(alpha(meter), opacity);
    // The same charge again sends nothing to the X server.
    rig.tick(charge);
    QCOMPARE(rig.desktop.opacitySets, 1);
}

void tst_Meter::shouldShowPowerSource_data()
{
    QTest::addColumn<qint16>("ac");
    QTest::addColumn<Colour>("outline");
    QTest::newRow("on AC") << qint16(1) << Gauge::LightBlue;
    QTest::newRow("on battery") << qint16(0) << Gauge::White;
    QTest::newRow("unknown") << qint16(255) << Gauge::White;
}

void tst_Meter::shouldShowPowerSource()
{
    QFETCH(qint16, ac);
    QFETCH(Colour, outline);
    MeterRig rig;
    Meter &meter = rig.load(AllOff);
    rig.tick(60, ac);
    QCOMPARE(background(meter, "Label1"), toQColor(outline));
}

void tst_Meter::shouldWarnOncePerLowEpisode_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QList<int>>("boxes");
    QTest::newRow("warning on") << WarnOn << QList<int>{0, 1, 1, 1, 1, 2};
    QTest::newRow("warning off") << AllOff << QList<int>(6, 0);
}

void tst_Meter::shouldWarnOncePerLowEpisode()
{
    QFETCH(QByteArray, settings);
    QFETCH(QList<int>, boxes);
    MeterRig rig;
    rig.load(settings);
    const QList<qint16> charges = {25, 19, 18, 19, 21, 19};
    for (int i = 0; i < charges.size(); ++i) {
        rig.tick(charges[i]);
        QCOMPARE(rig.prompts.boxes.size(), boxes[i]);
    }
    for (const auto &box : rig.prompts.boxes) {
        QCOMPARE(box.text, QStringLiteral("Battery power is below 20%!"));
        QCOMPARE(box.title, QStringLiteral("Warning!"));
        QCOMPARE(box.style, MessageStyle::Critical);
    }
}

void tst_Meter::shouldNotWarnWhenSwitchedOnDuringAnEpisode()
{
    MeterRig rig;
    Meter &meter = rig.load(AllOff);
    rig.tick(18);
    meter.applySetting(SettingsFile::WarnBelow20, true);
    rig.tick(18);
    rig.tick(17);
    QVERIFY(rig.prompts.boxes.isEmpty());
    rig.tick(20);
    rig.tick(19);
    QCOMPARE(rig.prompts.boxes.size(), 1);
}

void tst_Meter::shouldKeepTickingWhileWarningsStandOpen_data()
{
    QTest::addColumn<bool>("answered");
    QTest::newRow("nobody answers: the one box is raised again") << false;
    QTest::newRow("answered before the second 19: a second box") << true;
}

// The real timer goes on drawing every charge while a box stands, and at
// most one warning box stands at a time.
void tst_Meter::shouldKeepTickingWhileWarningsStandOpen()
{
    QFETCH(bool, answered);
    MeterRig rig;
    rig.useRealPrompts = true;
    Meter &meter = rig.load(WarnOn);
    rig.startTicking();
    for (const qint16 charge : {25, 19, 18, 19, 21}) {
        rig.battery.level = charge;
        QTRY_COMPARE(rig.label3()->text(), QString::number(charge) + QLatin1Char('%'));
    }
    const QList<QMessageBox *> first = openBoxes();
    QCOMPARE(first.size(), 1);
    if (answered) {
        QTest::keyClick(first.first(), Qt::Key_Return);
        QTRY_VERIFY(openBoxes().isEmpty());
    }
    rig.battery.level = 19;
    QTRY_COMPARE(openBoxes().size(), 1);
    QTest::qWait(300);
    QCOMPARE(openBoxes().size(), 1);
    if (!answered)
        QCOMPARE(openBoxes(), first);
    QCOMPARE(alpha(meter), 212);
    QCOMPARE(background(meter, "Label2"), toQColor(Gauge::Red));
    QTest::keyClick(openBoxes().first(), Qt::Key_Return);
    QTRY_VERIFY(openBoxes().isEmpty());
    rig.battery.level = 55;
    QTRY_COMPARE(rig.label3()->text(), QStringLiteral("55%"));
    QCOMPARE(alpha(meter), 140);
}

void tst_Meter::shouldKeepTickingWhileAPromptIsOpen_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::newRow("settings saved") << QStringLiteral("saved");
    QTest::newRow("settings not saved") << QStringLiteral("not saved");
    QTest::newRow("no browser") << QStringLiteral("no browser");
    QTest::newRow("context menu") << QStringLiteral("menu");
}

// Each prompt is opened as a user would and left standing while the charge
// changes; the check runs from the event loop, inside the menu's own if need be.
void tst_Meter::shouldKeepTickingWhileAPromptIsOpen()
{
    QFETCH(QString, prompt);
    MeterRig rig;
    rig.useRealPrompts = true;
    rig.prompts.linkResult = false;
    Meter &meter = rig.load("[PowerMenu]\nEnableSettings=1\n");
    rig.startTicking();
    bool tickedWhileOpen = false;
    QTimer::singleShot(0, [&] {
        QWidget *open = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                          : QApplication::activeModalWidget();
        rig.battery.level = 33;
        tickedWhileOpen = open && QTest::qWaitFor([&] { return rig.label3()->text() == "33%"; });
        if (open)
            QTest::keyClick(open, Qt::Key_Escape);
    });
    if (prompt == QLatin1String("menu")) {
        QTest::mouseClick(rig.label3(), Qt::RightButton);
    } else if (prompt == QLatin1String("no browser")) {
        meter.findChild<QAction *>(QStringLiteral("MnuAbout"))->trigger();
        QTest::mouseClick(controlOf("About", "Label6"), Qt::LeftButton);
    } else {
        if (prompt == QLatin1String("not saved"))
            rig.application.folderPath = rig.dir.filePath(QStringLiteral("gone"));
        rig.mnuSettings()->trigger();
        QTest::mouseClick(controlOf("Settings", "Command1"), Qt::LeftButton);
    }
    QTRY_VERIFY(tickedWhileOpen);
    QTRY_VERIFY(!QApplication::activePopupWidget() && !QApplication::activeModalWidget());
    rig.battery.level = 34;
    QTRY_COMPARE(rig.label3()->text(), QStringLiteral("34%"));
}

void tst_Meter::shouldHideOnlyAtFullCharge()
{
    MeterRig rig;
    Meter &meter = rig.load("[PowerMenu]\nHideWhenFull=1\n");
    rig.tick(100);
    QVERIFY(!meter.isVisible());
    rig.tick(100);
    QVERIFY(!meter.isVisible());
    QCOMPARE(rig.label3()->text(), QStringLiteral("100%"));
    rig.tick(99);
    QVERIFY(meter.isVisible());
    rig.tick(255);
    QVERIFY(!meter.isVisible());
}

void tst_Meter::shouldLeaveVisibilityAloneWhenHidingIsOff()
{
    MeterRig rig;
    Meter &meter = rig.load("[PowerMenu]\nHideWhenFull=1\n");
    rig.tick(100);
    meter.applySetting(SettingsFile::HideWhenFull, false);
    rig.tick(50);
    QVERIFY(!meter.isVisible());
    meter.applySetting(SettingsFile::HideWhenFull, true);
    rig.tick(50);
    QVERIFY(meter.isVisible());
}

QTEST_MAIN(tst_Meter)
#include "tst_meter.moc"
