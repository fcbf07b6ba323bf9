#pragma once

#include "platform/Platform.h"
#include "settings/SettingsLocation.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "Dimmerling Settings": shows the six settings, writes them back on Save and
// applies at once those the running meter can take. Deletes itself on close.
class Settings : public QWidget
{
    Q_OBJECT

public:
    // Puts a saved key into effect on the running meter.
    using ApplySetting = std::function<void(const QString &key, bool on)>;

    // settingsLocation: the meter's, chosen at start-up, which outlives the
    // dialog.
    Settings(SettingsLocation &settingsLocation, ApplySetting applySetting, const Platform &platform,
             QWidget *parent = nullptr);

    // Shows the dialog centred, or brings the open one to the front.
    void showAgain();

private slots:
    // Save: writes all six keys, applying each to the meter, then confirms
    // and closes once the confirmation is closed.
    void Command1_Click();
    // Cancel: closes without writing.
    void Command2_Click();

private:
    void Form_Load();
    void arrangeControls();
    bool write(const QString &key, bool on);
    void reportFailedWrite();

    const ApplySetting m_applySetting;
    const Platform m_platform;

    SettingsLocation &m_settingsLocation;
    const QString SettingsPath;
    // Taken as designed; nothing reads them.
    double m_settingsFileSize = 0;
    bool m_lastResult = false;
    // The keys this save has changed in the file so far.
    QStringList m_savedKeys;

    QGroupBox *const Frame3;
    QCheckBox *const OptionHideWhenFull;
    QCheckBox *const OptionShowPercentage;
    QCheckBox *const OptionWarnBelow20;
    QGroupBox *const Frame2;
    QRadioButton *const RadioOnClick;
    QRadioButton *const RadioOnMouseOver;
    QGroupBox *const Frame1;
    QCheckBox *const OptionEnableSettings;
    QCheckBox *const OptionEnableTray;
    QLabel *const Label1;
    QLabel *const Label2;
    QPushButton *const Command2;
    QPushButton *const Command1;
};
