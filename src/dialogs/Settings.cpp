#include "Settings.h"

#include "DialogWindow.h"
#include "common/Colour.h"
#include "common/Program.h"
#include "common/Twips.h"
#include "platform/Application.h"
#include "platform/Prompts.h"
#include "settings/SettingsFile.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <iterator>
#include <utility>

namespace {

constexpr int Width = 4680;
constexpr int Height = 5085;
constexpr Colour WarningRed = 0x0000C0;
// The design's font size; the family is the desktop's.
constexpr qreal FontPoints = 8.25;

const QString FrameStyle = QStringLiteral(
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }");

// The settings file as the warning names it: the home folder as "~", and a
// line break allowed after each "/", so that a long path wraps, not cut off.
QString notePath(const QString &path)
{
    QString shown = QDir::toNativeSeparators(path);
    const QString home = QDir::homePath() + QLatin1Char('/');
    if (shown.startsWith(home))
        shown = QStringLiteral("~/") + shown.mid(home.size());
    return shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
}

template <typename Control>
Control *makeControl(QWidget *parent, const QString &name, const QString &text, int left, int top,
                     int width, int height)
{
    return DialogWindow::placed(new Control(text, parent), name, Twips::rect(left, top, width, height));
}

} // namespace

Settings::Settings(SettingsLocation &settingsLocation, ApplySetting applySetting, const Platform &platform,
                   QWidget *parent)
    : QWidget(parent)
    , m_applySetting(std::move(applySetting))
    , m_platform(platform)
    , m_settingsLocation(settingsLocation)
    , SettingsPath(settingsLocation.path())
    , Frame3(makeControl<QGroupBox>(this, QStringLiteral("Frame3"), tr("General"), 120, 120, 4455, 1335))
    , OptionHideWhenFull(makeControl<QCheckBox>(Frame3, QStringLiteral("OptionHideWhenFull"),
                                                tr("Hide when battery is full"), 120, 240, 4215, 255))
    , OptionShowPercentage(makeControl<QCheckBox>(Frame3, QStringLiteral("OptionShowPercentage"),
                                                  tr("Show percentage of battery power left"), 120, 600,
                                                  4215, 255))
    , OptionWarnBelow20(makeControl<QCheckBox>(Frame3, QStringLiteral("OptionWarnBelow20"),
                                               tr("Warn me when power drops below 20%"), 120, 960, 4215, 255))
    , Frame2(makeControl<QGroupBox>(this, QStringLiteral("Frame2"), tr("Move method"), 120, 1560, 4455, 855))
    , RadioOnClick(makeControl<QRadioButton>(Frame2, QStringLiteral("RadioOnClick"), tr("On click"), 120, 240,
                                             4215, 255))
    , RadioOnMouseOver(makeControl<QRadioButton>(Frame2, QStringLiteral("RadioOnMouseOver"),
                                                 tr("On mouseover"), 120, 480, 4215, 255))
    , Frame1(makeControl<QGroupBox>(this, QStringLiteral("Frame1"), tr("Security"), 120, 2520, 4455, 1935))
    , OptionEnableSettings(makeControl<QCheckBox>(Frame1, QStringLiteral("OptionEnableSettings"),
                                                  tr("Enable settings option in context menu"), 120, 240,
                                                  4215, 255))
    , OptionEnableTray(makeControl<QCheckBox>(Frame1, QStringLiteral("OptionEnableTray"),
                                              tr("Enable tray icon"), 120, 600, 4215, 255))
    , Label1(DialogWindow::label(Frame1, QStringLiteral("Label1"), tr("WARNING:"), 120, 960, 1095, 255))
    , Label2(DialogWindow::label(Frame1, QStringLiteral("Label2"),
                         tr("You remove some of Dimmerling's functionality if you disable these functions. "
                            "Those settings can be re-enabled by editing %1.")
                             .arg(notePath(SettingsPath)),
                         120, 1200, 4215, 615))
    , Command2(makeControl<QPushButton>(this, QStringLiteral("Command2"), tr("Cancel"), 2040, 4560, 1215, 375))
    , Command1(makeControl<QPushButton>(this, QStringLiteral("Command1"), tr("Save"), 3360, 4560, 1215, 375))
{
    DialogWindow::setUp(this, m_platform.desktop, QStringLiteral("Settings"), tr("Dimmerling Settings"), Width, Height);
    setAttribute(Qt::WA_DeleteOnClose);
    arrangeControls();
    connect(Command1, &QPushButton::clicked, this, &Settings::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Settings::Command2_Click);
    Form_Load();
}

void Settings::arrangeControls()
{
    QFont designFont = font();
    designFont.setPointSizeF(FontPoints);
    setFont(designFont);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    DialogWindow::setTextColour(Label1, WarningRed);
    Label2->setWordWrap(true);
    DialogWindow::fitText(Label2);

    // The design puts each frame's title on its border line and the first
    // control just below: styles that draw the title above the border would
    // cut that control.
    for (QGroupBox *frame : {Frame3, Frame2, Frame1})
        frame->setStyleSheet(FrameStyle);

    // Neither Enter nor Escape may save or cancel by accident.
    for (QPushButton *button : {Command1, Command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QWidget *const tabOrder[] = {Command1, Command2, OptionEnableSettings, OptionEnableTray, RadioOnClick,
                                 RadioOnMouseOver, OptionHideWhenFull, OptionShowPercentage, OptionWarnBelow20};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Command1->setFocus();
}

void Settings::Form_Load()
{
    m_settingsFileSize = m_platform.application.fileSize(SettingsPath).value_or(0);
    // Without a readable file the meter runs on the shipped values: show those.
    const SettingsFile::Values values =
        SettingsFile::load(m_settingsLocation.readFrom(), SettingsFile::Reader::Dialog);
    if (values.moveMouseOver)
        RadioOnMouseOver->setChecked(true);
    else
        RadioOnClick->setChecked(true);
    OptionEnableSettings->setChecked(values.enableSettings);
    OptionEnableTray->setChecked(values.enableTray);
    OptionHideWhenFull->setChecked(values.hideWhenFull);
    OptionWarnBelow20->setChecked(values.warnBelow20);
    OptionShowPercentage->setChecked(values.showPercentage);
}

void Settings::showAgain()
{
    DialogWindow::showAgain(this);
}

void Settings::Command1_Click()
{
    m_settingsFileSize = m_platform.application.fileSize(SettingsPath).value_or(0);
    m_savedKeys.clear();
    // In the order they are saved; a greyed box counts as checked.
    const std::pair<const QString &, const QAbstractButton *> choices[] = {
        {SettingsFile::MoveMouseOver, RadioOnMouseOver},  {SettingsFile::EnableSettings, OptionEnableSettings},
        {SettingsFile::EnableTray, OptionEnableTray},     {SettingsFile::HideWhenFull, OptionHideWhenFull},
        {SettingsFile::WarnBelow20, OptionWarnBelow20}, {SettingsFile::ShowPercentage, OptionShowPercentage}};
    for (const auto &[key, control] : choices) {
        const bool on = control->isChecked();
        // Each setting reaches the meter only once it is in the file.
        if (!write(key, on))
            return;
        m_applySetting(key, on);
    }
    // Unloaded once the confirmation is closed, as after a box that waited.
    const auto closed = [self = QPointer<Settings>(this)](int result) {
        if (!self)
            return;
        self->m_lastResult = result != 0;
        self->close();
    };
    m_platform.prompts.messageBox(tr("Settings are saved, some of them may need a restart to take effect"),
                                  MessageStyle::Information, Program::Name, closed);
}

void Settings::Command2_Click()
{
    close();
}

bool Settings::write(const QString &key, bool on)
{
    const QString value = on ? SettingsFile::On : SettingsFile::Off;
    // A key that already holds the value is not written: a failed save must
    // not count it as saved.
    const bool changes = ReadIni(SettingsPath, SettingsFile::Section, key) != value;
    m_lastResult = INIWrite(SettingsFile::Section, key, value, SettingsPath);
    if (!m_lastResult) {
        reportFailedWrite();
        return false;
    }
    if (changes)
        m_savedKeys << key;
    return true;
}

void Settings::reportFailedWrite()
{
    // The dialog stays open, so the user can free the file and save again.
    const QString file = QDir::toNativeSeparators(SettingsPath);
    const QString text = m_savedKeys.isEmpty()
        ? tr("Could not write the settings file %1. Nothing was saved.").arg(file)
        : tr("Could not write the settings file %1. Saved before the failure: %2. "
             "The other settings were not saved.")
              .arg(file, m_savedKeys.join(QStringLiteral(", ")));
    m_platform.prompts.messageBox(text, MessageStyle::Critical, Program::Name);
}
