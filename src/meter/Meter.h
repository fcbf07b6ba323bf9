#pragma once

#include "MeterLabel.h"
#include "common/Colour.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class About;
class QAction;
class QMenu;
class QTimer;
class Settings;

// The gauge: a borderless topmost strip showing the battery's charge as a
// bar and a percentage on an AC-coloured background, more opaque as it drains.
class Meter : public QWidget
{
    Q_OBJECT

    // Declared first: members are built in this order, and the controls
    // below may use the platform as they are built.
    const Platform m_platform;
    // Front to back is the reverse of creation order: Label3 lies in front.
    MeterLabel *const Label1;
    MeterLabel *const Label2;
    MeterLabel *const Label3;

public:
    explicit Meter(const Platform &platform, QWidget *parent = nullptr);
    ~Meter() override;

    // Start-up: topmost, settings, tray icon, place at the right; starts the timer.
    void Form_Load();
    // Puts one key of the settings file into effect at once; the settings
    // dialog calls it for each key it has saved. EnableTray waits for the
    // next start, as the icon is added at start-up only.
    void applySetting(const QString &key, bool on);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // One update: bar, warning latch, caption, AC colour, opacity, hide when full.
    void Timer1_Timer();
    // The screen's work area changed: back to the place at the side it is on.
    void Screen_WorkAreaChange();

    // Pointer over the percentage: dodges in mouse-over mode.
    void Label3_MouseMove();
    // Button released over the percentage: menu on the right, dodge on the left.
    void Label3_MouseUp(Qt::MouseButton button);
    // Moved with the right button held: the menu.
    void Form_MouseMove(Qt::MouseButtons button);

    // Show the one About or Settings window, creating it on first use.
    void MnuAbout_Click();
    void MnuSettings_Click();
    // Removes the tray icon, then ends the program.
    void MnuExit_Click();
    // The window closed other than by Exit: ends the program as Exit does.
    void Form_Unload();

private:
    // Jumps between the right place and the left place.
    void Dodge();
    // The notification-area icon: the program's icon and name, and the menu.
    void AddIconToTray();
    void DeleteIconFromTray();

    qint16 charge() const;
    void createLabels();
    void createMenu();
    void readSettings();
    void setBarWidth(float twips);
    void setBarColour(Colour colour);
    void warnOnce();
    void setCaption(qint16 charge);
    void describe(bool onAc);
    void hideWhenFull(qint16 charge);
    void queryWorkArea();

    // Three switches set from the settings, and the low-battery latch.
    bool HideWhenFull = false;
    bool MoveMouseOver = false;
    bool WarnBelow20 = false;
    bool Warned = false;

    QAction *const MnuSettings;
    QTimer *const Timer1;
    QMenu *const MnuMenu;
    QAction *const MnuAbout;
    QAction *const MnuExit;

    quint8 Opacity = 0;
    PixelRect WorkArea;
    float ScreenRightTwips = 0;
    QString SettingsPath;
    double m_settingsFileSize = 0;
    bool m_lastBoxResult = false;
    bool m_warningStands = false; // the low-battery box is open
    quint64 m_warningBox = 0; // its Prompts::BoxId
    // What the caption and the accessible description show now.
    qint16 m_captionCharge = -1;
    qint16 m_describedCharge = -1;
    bool m_describedOnAc = false;

    std::unique_ptr<About> m_about;
    QPointer<Settings> m_settings;
};
