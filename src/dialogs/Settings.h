#pragma once

#include "platform/Platform.h"

#include <QStringList>
#include <QWidget>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What Save changes on the running meter at once: three of its flags and
// two of its controls; and the settings file the meter chose at start-up.
struct MeterSettings
{
    bool &MoveMouseOver;
    bool &HideWhenFull;
    bool &WarnBelow20;
    QAction *MnuSettings;
    QWidget *Label3;
    const QString &SettingsPath;
};

// "Dimmerling Settings": shows the six settings, writes them back on Save and
// applies at once those the running meter can take. Deletes itself on close.
class Settings : public QWidget
{
    Q_OBJECT

public:
    Settings(const MeterSettings &meter, const Platform &platform, QWidget *parent = nullptr);

    // Shows the dialog centred, or brings the open one to the front.
    void showAgain();

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

    const MeterSettings m_meter;
    const Platform m_platform;

    QString SettingsPath;
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
