#include "MeterRig.h"
#include "common/Colour.h"
#include "dialogs/About.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTest>

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void linksOpenTheirPages_data();
    void linksOpenTheirPages();
    void layoutAndClose();
    void linksReadOnEitherTheme_data();
    void linksReadOnEitherTheme();
    void keysOpenLinks_data();
    void keysOpenLinks();
    void keyboardFocusAndEscape();
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

void tst_About::linksOpenTheirPages_data()
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

void tst_About::linksOpenTheirPages()
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
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::RightButton);
    QTest::mouseClick(about->findChild<QWidget *>("Image2"), Qt::LeftButton);
    QVERIFY(rig.prompts.links.isEmpty());

    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(rig.prompts.links, QList<QUrl>{QUrl(address)});
    QCOMPARE(rig.prompts.boxes.size(), browserStarts ? 0 : 1);
    if (!browserStarts)
        QVERIFY(rig.prompts.boxes[0].text.contains(address));
}

void tst_About::layoutAndClose()
{
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    QVERIFY(about);
    const auto control = [about](const char *name) { return about->findChild<QWidget *>(name); };
    QCOMPARE(about->windowFlags() & (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint), Qt::Tool);
    QCOMPARE(about->size(), QSize(312, 128));
    QCOMPARE(about->focusWidget(), control("Command1"));
    QCOMPARE(control("Command1")->geometry(), QRect(224, 96, 81, 25));
    QCOMPARE(control("Label6")->geometry(), QRect(144, 104, 73, 17));
    // "v1.0" shares its line with the by-line and lies in front of it.
    QCOMPARE(about->childAt(QPoint(50, 40)), control("Label3"));
    for (const char *name : {"Image1", "Image2"}) {
        const QPixmap picture = static_cast<QLabel *>(control(name))->pixmap();
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(control(name)->size()));
        QCOMPARE(picture.devicePixelRatio(), about->devicePixelRatioF());
        QVERIFY(!picture.toImage().allGray());
    }

    // Close only hides: the next command shows the same dialog where it was.
    about->move(about->pos() + QPoint(40, 30));
    const QPoint moved = about->pos();
    QTest::mouseClick(control("Command1"), Qt::LeftButton);
    QTest::qWait(0);
    QVERIFY(!about->isVisible());
    QCOMPARE(openAbout(rig), about);
    QCOMPARE(about->pos(), moved);
}

void tst_About::linksReadOnEitherTheme_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("homeLink");
    QTest::newRow("light: as designed") << QColor(0xEF, 0xEF, 0xEF) << QColor(0, 0, 0xFF);
    QTest::newRow("dark: lighter blue") << QColor(0x2E, 0x2E, 0x2E) << QColor();
}

void tst_About::linksReadOnEitherTheme()
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
    const auto textOf = [about](const char *name) {
        return about->findChild<QWidget *>(name)->palette().color(QPalette::WindowText);
    };
    QVERIFY(contrast(textOf("Label5"), window) >= 4.5);
    QCOMPARE(textOf("Label6"), QColor(0, 0xC0, 0));
    if (homeLink.isValid())
        QCOMPARE(textOf("Label5"), homeLink);
    else
        QVERIFY(textOf("Label5").blue() > textOf("Label5").red());
}

void tst_About::keysOpenLinks_data()
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
    QTest::newRow("Freeware, Space") << 3 << "Label6" << int(Qt::Key_Space) << "Freeware"
                                     << "https://en.wikipedia.org/wiki/Freeware";
}

// Tab from Close reaches each link in reading order, a screen reader hears it
// as a link to its page, and its key opens that page.
void tst_About::keysOpenLinks()
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
    for (int tab = 0; tab < tabs; ++tab)
        QTest::keyClick(about->focusWidget(), Qt::Key_Tab);
    QWidget *link = QApplication::focusWidget();
    QCOMPARE(link->objectName(), control);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(link);
    QCOMPARE(face->role(), QAccessible::Link);
    QCOMPARE(face->text(QAccessible::Name), name);
    QVERIFY(face->text(QAccessible::Description).contains(address));
    QVERIFY(face->state().focused);

    // Neither a held key's repeats nor other keys open anything.
    QKeyEvent held(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(link, &held);
    QTest::keyClick(link, Qt::Key_A);
    QVERIFY(rig.prompts.links.isEmpty());
    QTest::keyClick(link, Qt::Key(key));
    QCOMPARE(rig.prompts.links, QList<QUrl>{QUrl(address)});
    QVERIFY(about->isVisible());
}

void tst_About::keyboardFocusAndEscape()
{
    MeterRig rig;
    rig.load();
    About *about = openAbout(rig);
    QVERIFY(QTest::qWaitForWindowActive(about));
    QAccessibleInterface *logo = QAccessible::queryAccessibleInterface(about->findChild<QWidget *>("Image2"));
    QCOMPARE(logo->role(), QAccessible::Graphic);
    QCOMPARE(logo->text(QAccessible::Name), QStringLiteral("Dimmerling logo"));

    // The focus frame shows on the focused link only, and goes with the focus.
    auto *freeware = about->findChild<QWidget *>("Label6");
    const QImage plain = freeware->grab().toImage();
    QTest::keyClick(about->focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), freeware);
    QVERIFY(freeware->grab().toImage() != plain);
    QTest::keyClick(freeware, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
    QCOMPARE(freeware->grab().toImage(), plain);

    // Escape hides the dialog from a link as well, and opens nothing.
    QTest::keyClick(about->focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), freeware);
    QTest::keyClick(freeware, Qt::Key_Escape);
    QVERIFY(!about->isVisible());
    QVERIFY(rig.prompts.links.isEmpty());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
