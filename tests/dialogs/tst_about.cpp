#include "Layout.h"
#include "MeterRig.h"
#include "common/Colour.h"
#include "dialogs/About.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QScopeGuard>
#include <QTest>

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void shouldOpenTheLinksPageOnALeftClick_data();
    void shouldOpenTheLinksPageOnALeftClick();
    void shouldShowEveryTextWholeAndCloseByHiding();
    void shouldDrawTheLinksAsDesignedOnEitherTheme_data();
    void shouldDrawTheLinksAsDesignedOnEitherTheme();
    void shouldReachAndOpenEachLinkFromTheKeyboard_data();
    void shouldReachAndOpenEachLinkFromTheKeyboard();
    void shouldGoBackwardsAndCloseOnEscape();
};

static About *openAbout(MeterRig &rig)
{
    rig.meter->findChild<QAction *>(QStringLiteral("MnuAbout"))->trigger();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("About") && widget->isVisible())
            return qobject_cast<About *>(widget);
    }
    return nullptr;
}

void tst_About::shouldOpenTheLinksPageOnALeftClick_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("browserStarts");
    QTest::newRow("Freeware") << "Label6" << "https://en.wikipedia.org/wiki/Freeware" << true;
    QTest::newRow("home") << "Label5" << "https://www.example.org/" << true;
    QTest::newRow("donate") << "Image1" << "https://donate.example.org/index.php?source=DimmerlingInApp"
                            << true;
    QTest::newRow("home, no browser") << "Label5" << "https://www.example.org/" << false;
}

void tst_About::shouldOpenTheLinksPageOnALeftClick()
{
    QFETCH(QString, control);
    QFETCH(QString, address);
    QFETCH(bool, browserStarts);
    MeterRig rig;
    rig.load();
    rig.prompts.linkResult = browserStarts;
    About *about = openAbout(rig);
    QVERIFY(about);
    auto *link = about->findChild<QWidget *>(control);
    QTest::mouseMove(link);
    QTRY_COMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::RightButton);
    QTest::mouseClick(about->findChild<QWidget *>("Image2"), Qt::LeftButton);
    QVERIFY(rig.prompts.links.isEmpty());

    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(rig.prompts.links, QList<QUrl>{QUrl(address)});
    QCOMPARE(rig.prompts.boxes.size(), browserStarts ? 0 : 1);
    if (!browserStarts)
        QVERIFY(rig.prompts.boxes[0].text.contains(address));
}

void tst_About::shouldShowEveryTextWholeAndCloseByHiding()
{
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    QVERIFY(about);
    QCOMPARE(about->windowFlags() & (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint), Qt::Tool);
    QCOMPARE(about->focusWidget()->objectName(), QStringLiteral("Command1"));
    // "v1.0" shares its line with the by-line.
    QCOMPARE(Layout::faults(about), QString());
    for (const char *picture : {"Image1", "Image2"})
        QVERIFY(!about->findChild<QWidget *>(picture)->grab().toImage().allGray());

    // Close only hides: the next command shows the same dialog where it was.
    about->move(about->pos() + QPoint(40, 30));
    const QPoint moved = about->pos();
    QTest::mouseClick(about->findChild<QWidget *>("Command1"), Qt::LeftButton);
    QTest::qWait(0);
    QVERIFY(!about->isVisible());
    QCOMPARE(openAbout(rig), about);
    QCOMPARE(about->pos(), moved);
}

void tst_About::shouldDrawTheLinksAsDesignedOnEitherTheme_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("homeLink");
    QTest::newRow("light: as designed") << QColor(0xEF, 0xEF, 0xEF) << QColor(0, 0, 0xFF);
    QTest::newRow("dark: lighter blue") << QColor(0x2E, 0x2E, 0x2E) << QColor();
}

// How a link is drawn: in the colour of its most saturated pixel, where the
// text covers a pixel whole, and underlined when one row holds that colour
// for most of the text's width, as letters leave gaps.
static std::pair<QColor, bool> drawnLook(QWidget *link)
{
    const QImage shot = link->grab().toImage();
    QColor colour = shot.pixelColor(0, 0);
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (shot.pixelColor(x, y).hsvSaturation() > colour.hsvSaturation())
                colour = shot.pixelColor(x, y);
        }
    }
    int longestRow = 0;
    for (int y = 0; y < shot.height(); ++y) {
        int inColour = 0;
        for (int x = 0; x < shot.width(); ++x)
            inColour += shot.pixelColor(x, y) == colour;
        longestRow = qMax(longestRow, inColour);
    }
    return {colour, longestRow > link->sizeHint().width() * 3 / 4};
}

void tst_About::shouldDrawTheLinksAsDesignedOnEitherTheme()
{
    QFETCH(QColor, window);
    QFETCH(QColor, homeLink);
    const QPalette original = QApplication::palette();
    const auto restore = qScopeGuard([&original] { QApplication::setPalette(original); });
    QPalette theme = original;
    theme.setColor(QPalette::Window, window);
    QApplication::setPalette(theme);
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    const auto [home, homeUnderlined] = drawnLook(about->findChild<QWidget *>("Label5"));
    QVERIFY(contrast(home, window) >= 4.5);
    QVERIFY(homeUnderlined);
    QCOMPARE(drawnLook(about->findChild<QWidget *>("Label6")), std::make_pair(QColor(0, 0xC0, 0), false));
    if (homeLink.isValid())
        QCOMPARE(home, homeLink);
    else
        QVERIFY(home.blue() > home.red());
}

void tst_About::shouldReachAndOpenEachLinkFromTheKeyboard_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("donate, Return") << 1 << "Image1" << int(Qt::Key_Return) << "Donate"
                                    << "https://donate.example.org/index.php?source=DimmerlingInApp";
    QTest::newRow("home, Enter") << 2 << "Label5" << int(Qt::Key_Enter) << "www.example.org"
                                 << "https://www.example.org/";
    QTest::newRow("Freeware, Return") << 3 << "Label6" << int(Qt::Key_Return) << "Freeware"
                                      << "https://en.wikipedia.org/wiki/Freeware";
}

// Tab from Close reaches each link in reading order and shows it focused, a
// screen reader hears it as a link to its page, and its key opens that page.
void tst_About::shouldReachAndOpenEachLinkFromTheKeyboard()
{
    QFETCH(int, tabs);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, name);
    QFETCH(QString, address);
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    QVERIFY(QTest::qWaitForWindowActive(about));
    auto *link = about->findChild<QWidget *>(control);
    const QImage plain = link->grab().toImage();
    for (int tab = 0; tab < tabs; ++tab)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), link);
    QVERIFY(link->grab().toImage() != plain);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(link);
    QCOMPARE(face->role(), QAccessible::Link);
    QCOMPARE(face->text(QAccessible::Name), name);
    QVERIFY(face->text(QAccessible::Description).contains(address));
    QVERIFY(face->state().focused);

    // Neither a held key's repeats nor other keys open anything.
    QKeyEvent held(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(link, &held);
    QTest::keyClick(link, Qt::Key_Space);
    QVERIFY(rig.prompts.links.isEmpty());
    QTest::keyClick(link, Qt::Key(key));
    QCOMPARE(rig.prompts.links, QList<QUrl>{QUrl(address)});
    QVERIFY(about->isVisible());

    // The focus shows on the focused link only.
    QTest::keyClick(link, Qt::Key_Backtab);
    QVERIFY(QApplication::focusWidget() != link);
    QCOMPARE(link->grab().toImage(), plain);
}

void tst_About::shouldGoBackwardsAndCloseOnEscape()
{
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    QVERIFY(QTest::qWaitForWindowActive(about));
    QAccessibleInterface *logo = QAccessible::queryAccessibleInterface(about->findChild<QWidget *>("Image2"));
    QCOMPARE(logo->role(), QAccessible::Graphic);
    QCOMPARE(logo->text(QAccessible::Name), QStringLiteral("Dimmerling logo"));

    // Backwards from Close: the last link, which Escape closes from as well.
    auto *freeware = about->findChild<QWidget *>("Label6");
    QTest::keyClick(about->focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), freeware);
    QTest::keyClick(freeware, Qt::Key_Escape);
    QVERIFY(!about->isVisible());
    QVERIFY(rig.prompts.links.isEmpty());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
