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
// bar, a percentage and an AC-coloured outline, more opaque as it drains.
class Meter : public QWidget
{
    Q_OBJECT

    // Declared first: members are built in this order, and the controls
    // below may use the platform as they are built.
    const Platform m_platform;
    // Front to back is the reverse of creation order: Label3 lies in front.
    MeterLabel *const Label1;
    MeterLabel *const Label2;

public:
    explicit Meter(const Platform &platform, QWidget *parent = nullptr);
    ~Meter() override;

    // Start-up: topmost, settings, tray icon, place at the right; starts the timer.
    void Form_Load();
    // One update: bar, warning latch, caption, AC colour, opacity, hide when full.
    void Timer1_Timer();
    // Jumps between the right place and the left place.
    void Dodge();
    // The screen's work area changed: back to the place at the side it is on.
    void Screen_WorkAreaChange();

    // Pointer over the percentage: dodges in mouse-over mode.
    void Label3_MouseMove();
    // Button released over the percentage: menu on the right, dodge on the left.
    void Label3_MouseUp(Qt::MouseButton button);
    // Also where the tray icon's clicks arrive.
    void Form_MouseMove(Qt::MouseButtons button);

    // Show the one About or Settings window, creating it on first use.
    void MnuAbout_Click();
    void MnuSettings_Click();
    // Removes the tray icon, then ends the program.
    void MnuExit_Click();
    // The window closed other than by Exit: ends the program as Exit does.
    void Form_Unload();

    // The notification-area icon: the program's icon and name.
    void AddIconToTray();
    void DeleteIconFromTray();

    // Written by the settings dialog; the tick and the dodge read them.
    bool HideWhenFull = false;
    bool MoveMouseOver = false;
    bool WarnBelow20 = false;
    bool Warned = false;

    // The controls the settings dialog sets directly.
    MeterLabel *const Label3;
    QAction *const MnuSettings;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qint16 charge() const;
    void createLabels();
    void createMenu();
    void readSettings();
    void setBarWidth(float twips);
    void setBarColour(Colour colour);
    void warnOnce();
    void setOpacity(quint8 alpha);
    void setCaption(qint16 charge);
    void describe(bool onAc);
    void hideWhenFull(qint16 charge);
    void queryWorkArea();

    QTimer *const Timer1;
    QMenu *const MnuMenu;
    QAction *const MnuAbout;
    QAction *const MnuExit;

    // A window starts opaque.
    quint8 Opacity = 255;
    PixelRect WorkArea;
    float ScreenRightTwips = 0;
    QString SettingsPath;
    double m_settingsFileSize = 0;
    bool m_lastBoxResult = false;
    // What the caption and the accessible description show now.
    qint16 m_captionCharge = -1;
    qint16 m_describedCharge = -1;
    bool m_describedOnAc = false;

    std::unique_ptr<About> m_about;
    QPointer<Settings> m_settings;
};
