#include "Faults.h"
#include "Layout.h"
#include "MeterRig.h"
#include "dialogs/Settings.h"
#include "platform/ConfigFolders.h"
#include "platform/startup/Session.h"
#include "settings/SettingsFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>

#include <optional>

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void shouldTickTheBoxOfEachKeyInTheFile_data();
    void shouldTickTheBoxOfEachKeyInTheFile();
    void shouldHideTheTextOnSavingAFileWithoutShowPercentage();
    void shouldSaveEveryKeyAndKeepEveryOtherLine();
    void shouldChangeNothingOnCancelAndReadAfreshWhenOpenedAgain();
    void shouldKeepTheDialogOpenWhenSavingFails_data();
    void shouldKeepTheDialogOpenWhenSavingFails();
    void shouldKeepTheSettingsWhereThisUserMay_data();
    void shouldKeepTheSettingsWhereThisUserMay();
    void shouldRefuseToSaveOverAnUnreadableFile_data();
    void shouldRefuseToSaveOverAnUnreadableFile();
    void shouldShowEveryControlWholeAndTakeKeysAsDesigned();
};

static const char *const checkBoxes[] = {"OptionEnableSettings", "OptionEnableTray", "OptionHideWhenFull",
                                         "OptionWarnBelow20", "OptionShowPercentage"};

static Settings *findSettings()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("Settings"))
            return qobject_cast<Settings *>(widget);
    }
    return nullptr;
}

// Opened even where the file greys the menu item: the dialog reads the file itself.
static QPointer<Settings> showDialog(MeterRig &rig)
{
    QAction *item = rig.mnuSettings();
    const bool enabled = item->isEnabled();
    item->setEnabled(true);
    item->trigger();
    item->setEnabled(enabled);
    return findSettings();
}

static QPointer<Settings> open(MeterRig &rig, const QByteArray &content)
{
    rig.load(content);
    return showDialog(rig);
}

template <typename T = QWidget> static T *child(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

static void click(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child(dialog, button), Qt::LeftButton);
}

void tst_Settings::cleanup()
{
    delete findSettings();
}

// One key on at a time, so that two keys crossed on their way to the boxes
// show as a wrong tick.
void tst_Settings::shouldTickTheBoxOfEachKeyInTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("checked");
    QTest::newRow("only MoveMouseOver") << QByteArray("[PowerMenu]\nMoveMouseOver=1\n")
                                        << QStringList{"RadioOnMouseOver"};
    const QByteArray keys[] = {"EnableSettings", "EnableTray", "HideWhenFull", "WarnBelow20", "ShowPercentage"};
    for (int i = 0; i < 5; ++i)
        QTest::addRow("only %s", keys[i].constData())
            << QByteArray("[PowerMenu]\n" + keys[i] + "=1\n") << QStringList{"RadioOnClick", checkBoxes[i]};
}

void tst_Settings::shouldTickTheBoxOfEachKeyInTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, checked);
    MeterRig rig;
    const auto dialog = open(rig, content);
    QVERIFY(dialog);
    for (const char *name : checkBoxes)
        QCOMPARE(child<QCheckBox>(dialog, name)->isChecked(), checked.contains(QLatin1String(name)));
    for (const char *name : {"RadioOnClick", "RadioOnMouseOver"})
        QCOMPARE(child<QRadioButton>(dialog, name)->isChecked(), checked.contains(QLatin1String(name)));
}

void tst_Settings::shouldHideTheTextOnSavingAFileWithoutShowPercentage()
{
    MeterRig rig;
    const auto dialog = open(rig, "[PowerMenu]\nEnableSettings=1\n");
    QVERIFY(rig.label3()->isVisible());
    QVERIFY(!child<QCheckBox>(dialog, "OptionShowPercentage")->isChecked());
    click(dialog, "Command1");
    QVERIFY(rig.settings().endsWith("\nShowPercentage=0\n"));
    QVERIFY(!rig.label3()->isVisible());
}

void tst_Settings::shouldSaveEveryKeyAndKeepEveryOtherLine()
{
    MeterRig rig;
    const auto dialog = open(rig, "; edited by hand\n[Other]\nHideWhenFull=1\n\n"
                                  "[PowerMenu]\nWarnBelow20=1\nColour=blue\nMoveMouseOver=0\n"
                                  "[Later]\nEnableTray=0\n");
    child<QRadioButton>(dialog, "RadioOnMouseOver")->setChecked(true);
    child<QCheckBox>(dialog, "OptionEnableTray")->setCheckState(Qt::PartiallyChecked);
    child<QCheckBox>(dialog, "OptionHideWhenFull")->setChecked(true);
    child<QCheckBox>(dialog, "OptionWarnBelow20")->setChecked(false);
    child<QCheckBox>(dialog, "OptionShowPercentage")->setChecked(true);
    click(dialog, "Command1");

    QCOMPARE(rig.settings(), QByteArray("; edited by hand\n[Other]\nHideWhenFull=1\n\n"
                                        "[PowerMenu]\nWarnBelow20=0\nColour=blue\nMoveMouseOver=1\n"
                                        "EnableSettings=0\nEnableTray=1\nHideWhenFull=1\nShowPercentage=1\n"
                                        "[Later]\nEnableTray=0\n"));
    QVERIFY(rig.label3()->isVisible());
    QVERIFY(!rig.tray.shown); // the tray icon waits for the next start
    QCOMPARE(rig.log, QStringList{"box:Settings are saved, some of them may need a restart to take effect"});
    QCOMPARE(rig.prompts.boxes[0].style, MessageStyle::Information);
    QCOMPARE(rig.prompts.boxes[0].title, "Dimmerling");
    QTRY_VERIFY(!dialog);
    // Greyed at once, so the dialog cannot come back.
    rig.mnuSettings()->trigger();
    QVERIFY(!findSettings());
    QCOMPARE(rig.switches(), QStringLiteral("MoveMouseOver HideWhenFull"));
}

void tst_Settings::shouldChangeNothingOnCancelAndReadAfreshWhenOpenedAgain()
{
    MeterRig rig;
    const QByteArray content = "[PowerMenu]\r\nMoveMouseOver=1\r\nEnableSettings=1\r\nWarnBelow20=1\r\n";
    const auto dialog = open(rig, content);
    for (const char *name : checkBoxes)
        child<QCheckBox>(dialog, name)->toggle();
    child<QRadioButton>(dialog, "RadioOnClick")->setChecked(true);
    rig.mnuSettings()->trigger();
    QCOMPARE(findSettings(), dialog.data());
    click(dialog, "Command2");
    QCOMPARE(rig.settings(), content);
    QVERIFY(rig.mnuSettings()->isEnabled() && rig.label3()->isVisible());
    QVERIFY(rig.log.isEmpty());
    QTRY_VERIFY(!dialog);
    QCOMPARE(rig.switches(), QStringLiteral("MoveMouseOver WarnBelow20"));

    rig.writeSettings("[PowerMenu]\nHideWhenFull=1\n");
    rig.mnuSettings()->trigger();
    QWidget *again = findSettings();
    QVERIFY(again && again->isVisible());
    QVERIFY(child<QCheckBox>(again, "OptionHideWhenFull")->isChecked());
    QVERIFY(!child<QCheckBox>(again, "OptionEnableSettings")->isChecked());
}

void tst_Settings::shouldKeepTheDialogOpenWhenSavingFails_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QString>("saved");
    // MoveMouseOver, written first, already holds its value: nothing to save there.
    const QString nothing = QStringLiteral("Nothing was saved.");
    QTest::newRow("settings.ini is a folder") << QByteArray("folder") << nothing;
    QTest::newRow("read-only file and folder") << QByteArray("read-only") << nothing;
    QTest::newRow("full disk") << QByteArray("full") << nothing;
    QTest::newRow("fails after one key") << QByteArray("midway")
                                         << QStringLiteral("Saved before the failure: EnableSettings.");
}

void tst_Settings::shouldKeepTheDialogOpenWhenSavingFails()
{
    QFETCH(QByteArray, fault);
    QFETCH(QString, saved);
    MeterRig rig;
    std::optional<FullDisk> disk;
    if (fault == "full") {
        disk.emplace(rig.dir.path());
        if (!disk->mounted())
            QSKIP("mounting a small tmpfs needs root");
    }
    const QByteArray content = "[PowerMenu]\nMoveMouseOver=0\n";
    const auto dialog = open(rig, content);
    const auto restore = qScopeGuard([&rig] {
        QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (fault == "folder") {
        QVERIFY(QFile::remove(rig.settingsPath()) && QDir(rig.dir.path()).mkdir("settings.ini"));
    } else if (fault == "full") {
        QVERIFY(disk->fill());
    } else if (fault == "midway") {
        // Once EnableSettings is saved and applied, the file becomes a folder.
        child<QCheckBox>(dialog, "OptionEnableSettings")->setChecked(true);
        connect(rig.mnuSettings(), &QAction::changed, dialog, [&rig] {
            QFile::remove(rig.settingsPath());
            QDir(rig.dir.path()).mkdir("settings.ini");
        });
    } else {
        // A writable file in a closed folder is written in place.
        QFile::setPermissions(rig.settingsPath(), QFile::ReadOwner);
        QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFile(rig.dir.filePath("probe")).open(QIODevice::WriteOnly))
            QSKIP("this user may write into read-only folders");
    }
    child<QCheckBox>(dialog, "OptionHideWhenFull")->setChecked(true);
    click(dialog, "Command1");

    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes[0].style, MessageStyle::Critical);
    const QString text = rig.prompts.boxes[0].text;
    QVERIFY2(text.contains(rig.settingsPath()) && text.contains(saved), qPrintable(text));
    QCOMPARE(rig.mnuSettings()->isEnabled(), fault == "midway");
    QTest::qWait(0);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(QFileInfo(rig.settingsPath()).isDir(), fault == "folder" || fault == "midway");
    if (!QFileInfo(rig.settingsPath()).isDir())
        QCOMPARE(rig.settings(), content);
    QCOMPARE(QDir(rig.dir.path()).entryList({"*tmp*"}, QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(!rig.switches().contains("HideWhenFull"));
}

void tst_Settings::shouldKeepTheSettingsWhereThisUserMay_data()
{
    // "@" stands for the test's folder, which is also HOME's parent; "-" for
    // an unset variable. @/etc1 and @/etc2 hold an administrator's file each,
    // @/bad holds one that cannot be read, of the row's kind.
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("configDirs");
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("startsFrom");
    QTest::addColumn<bool>("made");
    const QString own = QStringLiteral("@/c/dimmerling/settings.ini");
    const QString builtIn = SettingsFile::Default;
    QTest::newRow("writable program folder") << "@" << "@/config" << "@/etc1" << QByteArray() << "@/settings.ini"
                                             << builtIn << true;
    // Even root may not keep settings under /usr.
    QTest::newRow("program under /usr, new XDG_CONFIG_HOME")
        << "/usr/bin" << "@/new/config" << "@/none" << QByteArray() << "@/new/config/dimmerling/settings.ini"
        << builtIn << true;
    QTest::newRow("relative XDG_CONFIG_HOME") << "/usr/bin" << "config" << "@/none" << QByteArray()
                                             << "@/home/.config/dimmerling/settings.ini" << builtIn << true;
    QTest::newRow("program folder not known") << "" << "@/c" << "@/none" << QByteArray() << own << builtIn << true;
    QTest::newRow("several system folders")
        << "/usr/bin" << "@/c" << "@/etc1:@/etc2" << QByteArray() << own << "@/etc1/dimmerling/settings.ini" << true;
    QTest::newRow("relative and empty system folders")
        << "/usr/bin" << "@/c" << "etc1::@/etc2" << QByteArray() << own << "@/etc2/dimmerling/settings.ini" << true;
    for (const char *unset : {"-", ""}) {
        QTest::addRow("XDG_CONFIG_DIRS \"%s\"", unset)
            << "/usr/bin" << "@/c" << unset << QByteArray() << own << "/etc/xdg/dimmerling/settings.ini" << true;
    }
    for (const char *kind : {"folder", "named pipe", "unreadable", "link to nothing"}) {
        QTest::addRow("shared file: %s", kind)
            << "/usr/bin" << "@/c" << "@/bad:@/etc2" << QByteArray(kind) << own << "@/etc2/dimmerling/settings.ini"
            << true;
    }
    QTest::newRow("own file kept") << "/usr/bin" << "@/own" << "@/etc1" << QByteArray()
                                   << "@/own/dimmerling/settings.ini" << "@/own/dimmerling/settings.ini" << true;
    QTest::newRow("XDG_CONFIG_HOME is a file") << "/usr/bin" << "@/file" << "@/etc1" << QByteArray()
                                              << "@/file/dimmerling/settings.ini" << "@/etc1/dimmerling/settings.ini"
                                              << false;
    QTest::newRow("read-only XDG_CONFIG_HOME")
        << "/usr/bin" << "@/read-only" << "@/etc1" << QByteArray() << "@/read-only/dimmerling/settings.ini"
        << "@/etc1/dimmerling/settings.ini" << false;
    QTest::newRow("full XDG_CONFIG_HOME") << "/usr/bin" << "@/full" << "@/etc1" << QByteArray()
                                         << "@/full/dimmerling/settings.ini" << "@/etc1/dimmerling/settings.ini"
                                         << false;
}

static void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

static QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("none");
}

// Where the settings live, chosen at start-up: the meter starts from a copy
// of the administrator's file (every line of it) or the built-in one, the
// dialog names the file and saves to it. Where it cannot be made, the meter
// runs on the values it would have started from, says why once and leaves
// nothing behind.
void tst_Settings::shouldKeepTheSettingsWhereThisUserMay()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, configHome);
    QFETCH(QString, configDirs);
    QFETCH(QByteArray, bad);
    QFETCH(QString, chosen);
    QFETCH(QString, startsFrom);
    QFETCH(bool, made);
    MeterRig rig;
    const QString top = rig.dir.path();
    for (QString *path : {&programFolder, &configHome, &configDirs, &chosen, &startsFrom})
        path->replace(QLatin1Char('@'), top);
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS")};
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", saved[0]);
        qputenv("XDG_CONFIG_HOME", saved[1]);
        qputenv("XDG_CONFIG_DIRS", saved[2]);
        QFile::setPermissions(top + "/read-only", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    qputenv("HOME", QFile::encodeName(top + "/home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    if (configDirs == "-")
        qunsetenv("XDG_CONFIG_DIRS");
    else
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(configDirs));
    const QByteArray shared = "; for every user\n[PowerMenu]\nMoveMouseOver=0\nEnableSettings=0\n[Other]\nkept=1\n";
    writeFile(top + "/etc1/dimmerling/settings.ini", shared);
    writeFile(top + "/etc2/dimmerling/settings.ini", "; second\n[PowerMenu]\nEnableSettings=1\n");
    writeFile(top + "/own/dimmerling/settings.ini", "[PowerMenu]\nMoveMouseOver=1\n");
    QFile::setPermissions(top + "/own/dimmerling", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(top).mkpath("bad/dimmerling");
    const QString unmade = bad == "link to nothing"
        ? QString(QFile::link(top + "/gone", top + "/bad/dimmerling/settings.ini") ? "" : "no link")
        : bad.isEmpty() ? QString() : makeUnreadable(top + "/bad/dimmerling/settings.ini", bad);
    if (!unmade.isEmpty())
        QSKIP(qPrintable(unmade));
    QFile(top + "/file").open(QIODevice::WriteOnly);
    QDir(top).mkdir("read-only", QFile::ReadOwner | QFile::ExeOwner);
    if (!made && configHome.endsWith("read-only") && QFile(configHome + "/probe").open(QIODevice::WriteOnly))
        QSKIP("this user may write into read-only folders");
    std::optional<FullDisk> disk;
    if (configHome.endsWith("full") && QDir(top).mkdir("full") && !(disk.emplace(configHome).mounted() && disk->fill()))
        QSKIP("no small disk to fill: mounting one needs root");
    if (startsFrom.startsWith("/etc/xdg") && ::access(QFile::encodeName(startsFrom).constData(), R_OK) != 0)
        startsFrom = SettingsFile::Default;
    const QByteArray before = contentOf(startsFrom);
    QCOMPARE(ConfigFolders::whyNotForSettings(programFolder).isEmpty(), programFolder == top);
    rig.application.folderPath = programFolder;

    StandardError errors;
    Session::settleBaseFolders();
    rig.load();
    QCOMPARE(contentOf(chosen), made ? before : QByteArray("none"));
    const SettingsFile::Values expected = SettingsFile::load(startsFrom, SettingsFile::Reader::Meter);
    QCOMPARE(rig.dodgesOnHover(), expected.moveMouseOver);
    QCOMPARE(rig.mnuSettings()->isEnabled(), expected.enableSettings);
    QCOMPARE(QFileInfo(chosen).absoluteDir().exists() && (QFile::permissions(QFileInfo(chosen).path()) & 0077),
             false);
    if (!made)
        QCOMPARE(QDir(QFileInfo(chosen).path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(!QFileInfo::exists("/usr/bin/settings.ini") && !QFileInfo::exists(top + "/config"));
    const QList<QByteArray> told = errors.ownLines();
    QCOMPARE(told.size(), int(!made) + int(!bad.isEmpty()));
    if (!made)
        QVERIFY2(told.last().contains(QFile::encodeName(startsFrom)), told.last().constData());

    const QPointer<Settings> dialog = showDialog(rig);
    QVERIFY(dialog);
    const QString shown = QString(chosen).replace(top + "/home/", QStringLiteral("~/"));
    QVERIFY2(child<QLabel>(dialog, "Label2")->text().remove(QChar(0x200B)).contains(shown),
             qPrintable(child<QLabel>(dialog, "Label2")->text()));
    child<QCheckBox>(dialog, "OptionHideWhenFull")->setChecked(true);
    click(dialog, "Command1");
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes[0].style, made ? MessageStyle::Information : MessageStyle::Critical);
    if (made)
        QVERIFY(contentOf(chosen).contains("\nHideWhenFull=1") && contentOf(chosen).startsWith(before.left(8)));
    else
        QVERIFY(rig.prompts.boxes[0].text.contains(chosen + ". Nothing was saved."));
    QCOMPARE(contentOf(top + "/etc1/dimmerling/settings.ini"), shared);
}

void tst_Settings::shouldRefuseToSaveOverAnUnreadableFile_data()
{
    QTest::addColumn<QByteArray>("kind");
    for (const char *kind : {"folder", "named pipe", "device link", "unreadable"})
        QTest::newRow(kind) << QByteArray(kind);
}

// A save says it failed rather than write over what is there; the reason
// the file cannot be read is said once, naming it, however many windows
// read it.
void tst_Settings::shouldRefuseToSaveOverAnUnreadableFile()
{
    QFETCH(QByteArray, kind);
    MeterRig rig;
    const QString unmade = makeUnreadable(rig.settingsPath(), kind);
    if (!unmade.isEmpty())
        QSKIP(qPrintable(unmade));
    const QByteArray before = statusOf(rig.settingsPath());
    StandardError errors;
    rig.load();
    const QPointer<Settings> dialog = showDialog(rig);
    QVERIFY(dialog);
    click(dialog, "Command1");
    const QList<QByteArray> said = errors.ownLines();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said[0].contains(QFile::encodeName(rig.settingsPath())), said[0].constData());

    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes[0].style, MessageStyle::Critical);
    QVERIFY2(rig.prompts.boxes[0].text.contains(rig.settingsPath()), qPrintable(rig.prompts.boxes[0].text));
    QCOMPARE(statusOf(rig.settingsPath()), before);
}

void tst_Settings::shouldShowEveryControlWholeAndTakeKeysAsDesigned()
{
    MeterRig rig;
    const QByteArray content = "[PowerMenu]\n";
    const auto dialog = open(rig, content);
    QCOMPARE(dialog->windowFlags() & (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint), Qt::Tool);
    // Centred on the fake's work area.
    QCOMPARE(dialog->pos(), QPoint((1280 - dialog->width()) / 2, (800 - dialog->height()) / 2));
    QCOMPARE(Layout::faults(dialog), QString());
    QCOMPARE(child(dialog, "Label1")->palette().color(QPalette::WindowText), QColor(0xC0, 0, 0));
    // Each frame's border runs above its first control, not through it: down
    // a column right of the title, the first pixel unlike the top one.
    for (const auto &[frame, first] : {std::pair{"Frame3", "OptionHideWhenFull"}, std::pair{"Frame2", "RadioOnClick"},
                                       std::pair{"Frame1", "OptionEnableSettings"}}) {
        const QImage image = child(dialog, frame)->grab().toImage();
        const int x = image.width() * 3 / 4;
        int border = 1;
        while (border < image.height() && image.pixel(x, border) == image.pixel(x, 0))
            ++border;
        QVERIFY2(border / image.devicePixelRatio() < child(dialog, first)->y(), frame);
    }

    QStringList order;
    for (QWidget *widget = child(dialog, "Command1"); order.size() < 10; widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
    }
    QCOMPARE(order, QStringList({"Command1", "Command2", "OptionEnableSettings", "OptionEnableTray",
                                 "RadioOnClick", "RadioOnMouseOver", "OptionHideWhenFull",
                                 "OptionShowPercentage", "OptionWarnBelow20", "Command1"}));

    // Save has the focus, and neither Enter nor Escape saves or closes.
    QCOMPARE(dialog->focusWidget(), child(dialog, "Command1"));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(child(dialog, "Command1"), key);
        QTest::keyClick(child(dialog, "OptionEnableTray"), key);
    }
    QTest::qWait(0);
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(rig.log.isEmpty());
    QCOMPARE(rig.settings(), content);
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
