#pragma once

#include "platform/BatteryStatus.h"
#include "platform/QtWindowServices.h"
#include "platform/TrayIcon.h"

#include <QIcon>
#include <QStringList>
#include <QUrl>

#include <functional>

// The Qt window services with the desktop-dependent parts replaced: a work
// area the test sets, a folder the test owns, and message boxes, menus,
// links and program end recorded instead of shown. Every call of interest
// goes to one log, so tests can check the order of events.
class FakeWindowServices : public QtWindowServices
{
public:
    struct Box
    {
        QString text;
        MessageStyle style;
        QString title;
    };

    std::optional<PixelRect> area = PixelRect{0, 0, 1280, 800};
    QString folder;
    QList<Box> boxes;
    QList<QUrl> links;
    bool linkResult = true;
    int programEnds = 0;
    QStringList *log = nullptr;
    // Shows the real boxes and menus, left open for the test to close,
    // instead of closing each box with OK and each menu with menuChoice.
    bool realPrompts = false;
    // Picks a menu item by object name; empty leaves the menu unanswered.
    QString menuChoice;
    int menusShown = 0;

    // Stands for the screen: the test calls it after changing area.
    std::function<void()> workAreaChanged;

    std::optional<PixelRect> workArea() const override { return area; }
    void watchWorkArea(QObject *, std::function<void()> changed) override { workAreaChanged = std::move(changed); }
    QString applicationFolder() const override { return folder; }
    void messageBox(const QString &text, MessageStyle style, const QString &title, BoxClosed closed) override;
    void popupMenu(QMenu *menu) override;
    bool openLink(const QUrl &address) override;
    void endProgram() override;

private:
    void record(const QString &event) const;
};

class FakeBattery : public BatteryStatus
{
public:
    qint16 level = 57;
    qint16 ac = 0;
    int chargeReads = 0;

    qint16 charge() override
    {
        ++chargeReads;
        return level;
    }
    qint16 acStatus() override { return ac; }
};

class FakeTrayIcon : public TrayIcon
{
public:
    bool shown = false;
    QString tip;
    QIcon icon;
    int removals = 0;
    Notify notify;
    QStringList *log = nullptr;

    void add(const QIcon &newIcon, const QString &newTip, Notify newNotify) override;
    void remove() override;
};
