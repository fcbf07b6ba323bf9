#pragma once

#include "dialogs/Settings.h"
#include "platform/Platform.h"
#include "settings/SettingsLocation.h"

#include <QMenu>
#include <QPointer>

#include <memory>

class About;
class QAction;

// The gauge's menu (About, Settings, Exit), shown over the gauge and in the
// tray icon, and the two windows it opens.
class MeterMenu : public QMenu
{
    Q_OBJECT

public:
    // settingsLocation: the meter's, which outlives the menu's dialogs.
    MeterMenu(const Platform &platform, SettingsLocation &settingsLocation,
              Settings::ApplySetting applySetting, QWidget *meter);
    ~MeterMenu() override;

    // Settings greyed out or not (EnableSettings).
    void setSettingsEnabled(bool on);
    // The items whose shortcuts also work while the gauge has the focus.
    QList<QAction *> shortcutItems() const;
    // Opens the menu at the pointer.
    void popupAtPointer();

    // Removes the tray icon, then ends the program: Exit, or the gauge's
    // window closed.
    void endProgram();

    // The notification-area icon: the program's icon and name, and the menu.
    void AddIconToTray(const QIcon &icon);
    void DeleteIconFromTray();

private slots:
    // Show the one About or Settings window, creating it on first use.
    void MnuAbout_Click();
    void MnuSettings_Click();
    void MnuExit_Click();

private:
    const Platform m_platform;
    SettingsLocation &m_settingsLocation;
    const Settings::ApplySetting m_applySetting;
    QAction *const MnuAbout;
    QAction *const MnuSettings;
    QAction *const MnuExit;

    std::unique_ptr<About> m_about;
    QPointer<Settings> m_settings;
};
