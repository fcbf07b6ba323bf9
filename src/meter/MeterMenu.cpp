#include "MeterMenu.h"

#include "common/Program.h"
#include "dialogs/About.h"
#include "platform/Application.h"
#include "platform/Prompts.h"
#include "platform/TrayIcon.h"

#include <QAction>

MeterMenu::MeterMenu(const Platform &platform, SettingsLocation &settingsLocation,
                     Settings::ApplySetting applySetting, QWidget *meter)
    : QMenu(meter)
    , m_platform(platform)
    , m_settingsLocation(settingsLocation)
    , m_applySetting(std::move(applySetting))
    , MnuAbout(new QAction(tr("About"), this))
    , MnuSettings(new QAction(tr("&Settings"), this))
    , MnuExit(new QAction(tr("E&xit"), this))
{
    setObjectName(QStringLiteral("MnuMenu"));
    setTitle(tr("Menu"));
    MnuAbout->setObjectName(QStringLiteral("MnuAbout"));
    MnuSettings->setObjectName(QStringLiteral("MnuSettings"));
    MnuSettings->setShortcut(QKeySequence(Qt::Key_F11));
    MnuExit->setObjectName(QStringLiteral("MnuExit"));
    MnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    addAction(MnuAbout);
    addAction(MnuSettings);
    addSeparator()->setObjectName(QStringLiteral("MnuSeprator"));
    addAction(MnuExit);
    connect(MnuAbout, &QAction::triggered, this, &MeterMenu::MnuAbout_Click);
    connect(MnuSettings, &QAction::triggered, this, &MeterMenu::MnuSettings_Click);
    connect(MnuExit, &QAction::triggered, this, &MeterMenu::MnuExit_Click);
}

MeterMenu::~MeterMenu()
{
    // The final release of the window: the icon must not outlive it.
    DeleteIconFromTray();
    delete m_settings;
}

void MeterMenu::setSettingsEnabled(bool on)
{
    MnuSettings->setEnabled(on);
}

QList<QAction *> MeterMenu::shortcutItems() const
{
    return {MnuSettings, MnuExit};
}

void MeterMenu::popupAtPointer()
{
    m_platform.prompts.popupMenu(this);
}

void MeterMenu::AddIconToTray(const QIcon &icon)
{
    m_platform.tray.add(icon, Program::Name, this);
}

void MeterMenu::DeleteIconFromTray()
{
    m_platform.tray.remove();
}

void MeterMenu::MnuAbout_Click()
{
    if (!m_about)
        m_about = std::make_unique<About>(m_platform);
    m_about->showAgain();
}

void MeterMenu::MnuSettings_Click()
{
    if (!m_settings)
        m_settings = new Settings(m_settingsLocation, m_applySetting, m_platform);
    m_settings->showAgain();
}

void MeterMenu::MnuExit_Click()
{
    endProgram();
}

void MeterMenu::endProgram()
{
    DeleteIconFromTray();
    m_platform.application.endProgram();
}
