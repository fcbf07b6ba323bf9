#include "MeterRig.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace {

constexpr int RightPlace = 947; // (1280 px * 15 - 5000) / 15
constexpr int LeftPlace = 17;   // 255 twips

const QByteArray OnMouseOver = "[PowerMenu]\nMoveMouseOver=1\nEnableSettings=1\nEnableTray=1\n";
const QByteArray OnClick = "[PowerMenu]\nMoveMouseOver=0\nEnableSettings=1\nEnableTray=0\n";

// A left click on the percentage: the dodge in either mode.
void dodge(MeterRig &rig)
{
    QTest::mouseClick(rig.label3(), Qt::LeftButton);
}

void rightButtonMove(QWidget *target)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

} // namespace

class tst_Dodge : public QObject
{
    Q_OBJECT

private slots:
    void shouldReturnToTheRightPlaceAfterTwoDodges();
    void shouldDodgeOnPointerMovementInMouseOverMode();
    void shouldIgnoreMovementButDodgeOnClickInClickMode();
    void shouldOpenTheMenuOnRightClickWithoutDodging();
    void shouldGoLeftFromAnyOtherPlace();
    void shouldFollowTheWorkArea();
    void shouldStayAtItsSideWhenTheWorkAreaChanges_data();
    void shouldStayAtItsSideWhenTheWorkAreaChanges();
    void shouldKeepTheLastRightEdgeWhenTheQueryFails();
    void shouldOfferNothingFromAHiddenText();
    void shouldKeepLabelEventsFromTheWindow();
    void shouldShowTheProgramNameInTheTray();
    void shouldRemoveTheIconBeforeEnding_data();
    void shouldRemoveTheIconBeforeEnding();
    void shouldOfferEachMenuItemWithItsKey();
};

void tst_Dodge::shouldReturnToTheRightPlaceAfterTwoDodges()
{
    MeterRig rig;
    Meter &meter = rig.load(OnMouseOver);
    QCOMPARE(meter.x(), RightPlace);
    dodge(rig);
    QCOMPARE(meter.pos(), QPoint(LeftPlace, 2));
    dodge(rig);
    QCOMPARE(meter.pos(), QPoint(RightPlace, 2));
    QCOMPARE(meter.size(), QSize(257, 17));
}

void tst_Dodge::shouldDodgeOnPointerMovementInMouseOverMode()
{
    MeterRig rig;
    Meter &meter = rig.load(OnMouseOver);
    QTest::mouseMove(rig.label3(), QPoint(100, 5));
    QCOMPARE(meter.x(), LeftPlace);
    QTest::mouseClick(rig.label3(), Qt::LeftButton);
    QCOMPARE(meter.x(), RightPlace);
}

void tst_Dodge::shouldIgnoreMovementButDodgeOnClickInClickMode()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    QTest::mouseMove(rig.label3(), QPoint(100, 5));
    QTest::mouseMove(rig.label3(), QPoint(120, 6));
    QCOMPARE(meter.x(), RightPlace);
    QTest::mouseClick(rig.label3(), Qt::LeftButton);
    QCOMPARE(meter.x(), LeftPlace);
    QTest::mouseClick(rig.label3(), Qt::MiddleButton);
    QCOMPARE(meter.x(), LeftPlace);
    QCOMPARE(rig.prompts.menusShown, 0);
}

void tst_Dodge::shouldOpenTheMenuOnRightClickWithoutDodging()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    QTest::mouseClick(rig.label3(), Qt::RightButton);
    QCOMPARE(rig.prompts.menusShown, 1);
    QCOMPARE(meter.x(), RightPlace);
    QTest::keyClick(&meter, Qt::Key_Menu);
    QTest::keyClick(&meter, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(&meter, Qt::Key_F10);
    QCOMPARE(rig.prompts.menusShown, 3);
}

void tst_Dodge::shouldGoLeftFromAnyOtherPlace()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    meter.move(500, 2);
    dodge(rig);
    QCOMPARE(meter.x(), LeftPlace);
    meter.move(LeftPlace + 1, 2);
    dodge(rig);
    QCOMPARE(meter.x(), LeftPlace);
}

void tst_Dodge::shouldFollowTheWorkArea()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    dodge(rig);
    rig.desktop.area = PixelRect{0, 0, 1000, 800};
    dodge(rig);
    QCOMPARE(meter.x(), 667); // (15000 - 5000) / 15
    QCOMPARE(meter.y(), 2);
}

void tst_Dodge::shouldStayAtItsSideWhenTheWorkAreaChanges_data()
{
    QTest::addColumn<int>("dodges");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("right place") << 0 << RightPlace << 667; // (15000 - 5000) / 15
    QTest::newRow("left place") << 1 << LeftPlace << LeftPlace;
}

void tst_Dodge::shouldStayAtItsSideWhenTheWorkAreaChanges()
{
    QFETCH(int, dodges);
    QFETCH(int, from);
    QFETCH(int, to);
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    for (int i = 0; i < dodges; ++i)
        dodge(rig);
    QCOMPARE(meter.x(), from);
    rig.desktop.area = PixelRect{0, 0, 1000, 800};
    rig.desktop.workAreaChanged();
    QCOMPARE(meter.pos(), QPoint(to, 2));
}

void tst_Dodge::shouldKeepTheLastRightEdgeWhenTheQueryFails()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    dodge(rig);
    rig.desktop.area.reset();
    dodge(rig);
    QCOMPARE(meter.x(), RightPlace);
}

void tst_Dodge::shouldOfferNothingFromAHiddenText()
{
    MeterRig rig;
    Meter &meter = rig.load(OnMouseOver + "ShowPercentage=0\n");
    QVERIFY(rig.label3()->isHidden());
    QWidget *under = meter.childAt(100, 8);
    QVERIFY(under != rig.label3());
    QTest::mouseMove(under, QPoint(100, 8));
    QTest::mouseClick(under, Qt::LeftButton);
    QTest::mouseClick(under, Qt::RightButton);
    QCOMPARE(meter.x(), RightPlace);
    QCOMPARE(rig.prompts.menusShown, 0);
    rightButtonMove(&meter);
    QCOMPARE(rig.prompts.menusShown, 1);
}

void tst_Dodge::shouldKeepLabelEventsFromTheWindow()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    rightButtonMove(meter.findChild<MeterLabel *>(QStringLiteral("Label1")));
    rightButtonMove(meter.findChild<MeterLabel *>(QStringLiteral("Label2")));
    rightButtonMove(rig.label3());
    QCOMPARE(rig.prompts.menusShown, 0);
    rightButtonMove(&meter);
    QCOMPARE(rig.prompts.menusShown, 1);
}

void tst_Dodge::shouldShowTheProgramNameInTheTray()
{
    MeterRig rig;
    Meter &meter = rig.load(OnMouseOver);
    rig.tick(42);
    QCOMPARE(rig.tray.tip, QStringLiteral("Dimmerling"));
    QCOMPARE(rig.tray.icon.cacheKey(), meter.windowIcon().cacheKey());
    QCOMPARE(rig.tray.menu, meter.findChild<QMenu *>(QStringLiteral("MnuMenu")));
}

void tst_Dodge::shouldRemoveTheIconBeforeEnding_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("with an icon") << OnMouseOver;
    QTest::newRow("without an icon") << OnClick;
}

void tst_Dodge::shouldRemoveTheIconBeforeEnding()
{
    QFETCH(QByteArray, settings);
    MeterRig rig;
    rig.load(settings);
    rig.log.clear();
    rig.prompts.menuChoice = QStringLiteral("MnuExit");
    rightButtonMove(rig.meter.get());
    QCOMPARE(rig.log, QStringList({"menu", "tray:remove", "end"}));
    QVERIFY(!rig.tray.shown);
}

void tst_Dodge::shouldOfferEachMenuItemWithItsKey()
{
    MeterRig rig;
    Meter &meter = rig.load(OnClick);
    QStringList items;
    for (const QAction *item : meter.findChild<QMenu *>(QStringLiteral("MnuMenu"))->actions())
        items << (item->isSeparator() ? QStringLiteral("-") : item->text() + ' ' + item->shortcut().toString());
    QCOMPARE(items, QStringList({"About ", "&Settings F11", "-", "E&xit Ctrl+X"}));
}

QTEST_MAIN(tst_Dodge)
#include "tst_dodge.moc"
