#pragma once

#include "MeterLabel.h"
#include "common/Colour.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "settings/SettingsLocation.h"

#include <QWidget>

class LowBatteryWarning;
class MeterMenu;
class QTimer;

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

    // The window closed other than by Exit: ends the program as Exit does.
    void Form_Unload();

private:
    // Jumps between the right place and the left place.
    void Dodge();
    qint16 charge() const;
    void createLabels();
    void readSettings();
    void setBarWidth(float twips);
    void setBarColour(Colour colour);
    void setOpacity(quint8 alpha);
    void setCaption(qint16 charge);
    void describe(bool onAc);
    void hideWhenFull(qint16 charge);
    void queryWorkArea();

    // Three switches set from the settings.
    bool HideWhenFull = false;
    bool MoveMouseOver = false;
    bool WarnBelow20 = false;

    // Chosen once: the settings dialog saves to the file the meter read.
    // Lent to the menu's settings dialog, which goes before it.
    SettingsLocation m_settingsLocation;
    QTimer *const Timer1;
    LowBatteryWarning *const Warning;
    MeterMenu *const MnuMenu;

    // A window starts opaque.
    quint8 Opacity = 255;
    PixelRect WorkArea;
    float ScreenRightTwips = 0;
    const QString SettingsPath;
    // Taken at start-up as designed; nothing reads it.
    double m_settingsFileSize = 0;
    // What the caption and the accessible description show now.
    qint16 m_captionCharge = -1;
    qint16 m_describedCharge = -1;
    bool m_describedOnAc = false;
};
