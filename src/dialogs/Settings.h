#pragma once

#include <QWidget>

class Meter;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class WindowServices;

// "Dimmerling Settings": shows the six settings, writes them back on Save and
// applies at once those the running meter can take. Deletes itself on close.
class Settings : public QWidget
{
    Q_OBJECT

public:
    Settings(Meter &meter, WindowServices &window, QWidget *parent = nullptr);

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

    Meter &m_meter;
    WindowServices &m_window;

    QString SettingsPath;
    double m_settingsFileSize = 0;
    bool m_lastResult = false;
    int m_writes = 0;

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
