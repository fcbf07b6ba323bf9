#include "Meter.h"

#include "Gauge.h"
#include "LowBatteryWarning.h"
#include "MeterMenu.h"
#include "common/Program.h"
#include "common/ProgramIcon.h"
#include "common/Twips.h"
#include "platform/Application.h"
#include "platform/BatteryStatus.h"
#include "platform/Prompts.h"
#include "settings/SettingsFile.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace {

constexpr int DesignLeft = 10650;
constexpr int DesignTop = 30;
constexpr int Width = 3855;
constexpr int Height = 255;
constexpr float RightPlaceOffset = 5000.0F;
constexpr float LeftPlace = 255.0F;
constexpr int TickMs = 100;

} // namespace

Meter::Meter(const Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool)
    , m_platform(platform)
    , Label1(new MeterLabel(this, QStringLiteral("Label1"), Twips::rect(0, 0, Width, Height)))
    , Label2(new MeterLabel(this, QStringLiteral("Label2"), Twips::rect(15, 15, 3820, 225)))
    , Label3(new MeterLabel(this, QStringLiteral("Label3"), Twips::rect(0, 30, Width, Height)))
    , m_settingsLocation(m_platform.application.folder())
    , Timer1(new QTimer(this))
    , Warning(new LowBatteryWarning(m_platform.prompts, this))
    , MnuMenu(new MeterMenu(m_platform, m_settingsLocation,
                            [this](const QString &key, bool on) { applySetting(key, on); }, this))
    , SettingsPath(m_settingsLocation.path())
{
    setObjectName(QStringLiteral("Meter"));
    setAccessibleName(tr("Battery gauge"));
    // Reappearing after a full charge must not take the keyboard from the
    // user's window: Ctrl+X there would end the gauge.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(Program::Name);
    setWindowIcon(programIcon());
    setGeometry(Twips::rect(DesignLeft, DesignTop, Width, Height));
    setFixedSize(size());
    createLabels();
    // The shortcuts also work while the gauge itself has the focus.
    addActions(MnuMenu->shortcutItems());
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TickMs);
    connect(Timer1, &QTimer::timeout, this, &Meter::Timer1_Timer);
}

Meter::~Meter()
{
    // The tray icon goes with the window, and the settings dialog before
    // the settings location it reads through.
    delete MnuMenu;
}

void Meter::createLabels()
{
    Label1->setBorder(true);
    Label1->setBackColour(toQColor(Gauge::White));
    Label2->setBackColour(toQColor(Gauge::LightGrey));
    Label3->setText(tr("Loading..."));
    Label3->setTextBackgrounds({toQColor(Gauge::White), toQColor(Gauge::LightBlue), toQColor(Gauge::LightGrey),
                                toQColor(Gauge::Green), toQColor(Gauge::Orange), toQColor(Gauge::Red)});
    Label3->setMouseTracking(true);
    Label3->installEventFilter(this);
}

void Meter::Form_Load()
{
    m_platform.desktop.makeTopmost(this);
    // A missing file is made; failing that, or when the file cannot be
    // read, the values it would have started from hold for this run.
    m_settingsLocation.ensureExists();
    m_settingsFileSize = m_platform.application.fileSize(SettingsPath).value_or(0);
    readSettings();
    queryWorkArea();
    m_platform.desktop.setLeft(this, ScreenRightTwips - RightPlaceOffset);
    m_platform.desktop.watchWorkArea(this, [this] { Screen_WorkAreaChange(); });
    Timer1->start();
}

void Meter::readSettings()
{
    const SettingsFile::Values values =
        SettingsFile::load(m_settingsLocation.readFrom(), SettingsFile::Reader::Meter);
    applySetting(SettingsFile::EnableSettings, values.enableSettings);
    applySetting(SettingsFile::HideWhenFull, values.hideWhenFull);
    applySetting(SettingsFile::MoveMouseOver, values.moveMouseOver);
    if (values.enableTray)
        MnuMenu->AddIconToTray(windowIcon());
    applySetting(SettingsFile::ShowPercentage, values.showPercentage);
    applySetting(SettingsFile::WarnBelow20, values.warnBelow20);
}

void Meter::applySetting(const QString &key, bool on)
{
    if (key == SettingsFile::MoveMouseOver)
        MoveMouseOver = on;
    else if (key == SettingsFile::EnableSettings)
        MnuMenu->setSettingsEnabled(on);
    else if (key == SettingsFile::HideWhenFull)
        HideWhenFull = on;
    else if (key == SettingsFile::WarnBelow20)
        WarnBelow20 = on;
    else if (key == SettingsFile::ShowPercentage)
        Label3->setVisible(on);
}

qint16 Meter::charge() const
{
    return Gauge::bounded(m_platform.battery.charge());
}

void Meter::Timer1_Timer()
{
    // One reading serves every step, so a tick never shows two charges.
    const qint16 now = charge();
    setBarWidth(Gauge::barWidth(now));
    bool low = false;
    if (now > Gauge::High) {
        setBarColour(Gauge::Green);
    } else if (now < Gauge::Low) {
        low = true;
        setBarColour(Gauge::Red);
        Warning->warnOnce(WarnBelow20);
    } else {
        setBarColour(Gauge::Orange);
    }
    if (!low)
        Warning->rearm();
    setCaption(now);
    const bool onAc = m_platform.battery.acStatus() == 1;
    Label1->setBackColour(toQColor(onAc ? Gauge::LightBlue : Gauge::White));
    setOpacity(Gauge::opacity(now));
    if (HideWhenFull)
        hideWhenFull(now);
    describe(onAc);
}

void Meter::setOpacity(quint8 alpha)
{
    // Each new opacity is a request to the X server and a recomposite: only
    // a change is sent.
    if (alpha == Opacity)
        return;
    Opacity = alpha;
    m_platform.desktop.setOpacity(this, Opacity);
}

void Meter::setCaption(qint16 charge)
{
    // Building the text costs more than the rest of the tick: only a new
    // charge makes a new one.
    if (charge == m_captionCharge)
        return;
    m_captionCharge = charge;
    Label3->setText(QString::number(charge) + QLatin1Char('%'));
}

void Meter::describe(bool onAc)
{
    // What assistive technology reads; changes with the caption or the AC.
    if (m_describedCharge == m_captionCharge && m_describedOnAc == onAc)
        return;
    m_describedCharge = m_captionCharge;
    m_describedOnAc = onAc;
    setAccessibleDescription(Label3->text() + (onAc ? tr(", on AC power") : tr(", on battery")));
}

void Meter::setBarWidth(float twips)
{
    // Resizing, even to the same width, marks the window's opaque region
    // dirty, so the bar is resized only when its width changes.
    const int pixels = Twips::toPixels(twips);
    if (Label2->width() != pixels)
        Label2->resize(pixels, Label2->height());
}

void Meter::setBarColour(Colour colour)
{
    Label2->setBackColour(toQColor(colour));
}

void Meter::hideWhenFull(qint16 charge)
{
    if (charge == Gauge::Full) {
        if (isVisible())
            hide();
    } else if (isHidden()) {
        show();
    }
}

void Meter::queryWorkArea()
{
    // A failed query keeps the last right edge.
    if (const auto area = m_platform.desktop.workArea()) {
        WorkArea = *area;
        ScreenRightTwips = Twips::fromPixels(WorkArea.right);
    }
}

void Meter::Dodge()
{
    queryWorkArea();
    if (m_platform.desktop.left(this) == LeftPlace)
        m_platform.desktop.setLeft(this, ScreenRightTwips - RightPlaceOffset);
    else
        m_platform.desktop.setLeft(this, LeftPlace);
}

void Meter::Screen_WorkAreaChange()
{
    // The same rule as the dodge's: exactly at the left place stays there,
    // anywhere else goes to the right place of the new work area.
    const bool atLeftPlace = m_platform.desktop.left(this) == LeftPlace;
    queryWorkArea();
    m_platform.desktop.setLeft(this, atLeftPlace ? LeftPlace : ScreenRightTwips - RightPlaceOffset);
}

void Meter::Label3_MouseMove()
{
    if (MoveMouseOver)
        Dodge();
}

void Meter::Label3_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        MnuMenu->popupAtPointer();
    if (button == Qt::LeftButton)
        Dodge();
}

void Meter::Form_MouseMove(Qt::MouseButtons button)
{
    if (button == Qt::RightButton)
        MnuMenu->popupAtPointer();
}

void Meter::Form_Unload()
{
    MnuMenu->endProgram();
}

void Meter::closeEvent(QCloseEvent *event)
{
    // The window manager's close, or the session ending: the gauge cannot
    // go on without its window.
    event->accept();
    Form_Unload();
}

void Meter::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove(event->buttons());
}

void Meter::keyPressEvent(QKeyEvent *event)
{
    // From the keyboard the menu opens as everywhere else on the desktop.
    const bool menuKey = event->key() == Qt::Key_Menu
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey)
        MnuMenu->popupAtPointer();
    else
        QWidget::keyPressEvent(event);
}

bool Meter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label3) {
        if (event->type() == QEvent::MouseMove)
            Label3_MouseMove();
        else if (event->type() == QEvent::MouseButtonRelease)
            Label3_MouseUp(static_cast<QMouseEvent *>(event)->button());
    }
    return QWidget::eventFilter(watched, event);
}
