#pragma once

#include "common/PlacedLeft.h"
#include "platform/Application.h"
#include "platform/BatteryStatus.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/TrayIcon.h"

#include <QIcon>
#include <QSet>
#include <QStringList>
#include <QUrl>

// Stand-ins for the platform that a test sets and reads. Every call of
// interest goes to one log, so tests can check the order of events.

// A work area the test sets; windows moved for real, their opacity kept.
class FakeDesktop : public Desktop
{
public:
    std::optional<PixelRect> area = PixelRect{0, 0, 1280, 800};
    QSet<const QWidget *> topmost;
    int opacitySets = 0;
    // Stands for the screen: the test calls it after changing area.
    std::function<void()> workAreaChanged;

    void makeTopmost(QWidget *window) override { topmost.insert(window); }
    std::optional<PixelRect> workArea() const override { return area; }
    void moveTo(QWidget *window, int left, int top) override;
    void watchWorkArea(QObject *, std::function<void()> changed) override { workAreaChanged = std::move(changed); }
    float left(const QWidget *window) const override;
    void setLeft(QWidget *window, float twips) override;
    void setOpacity(QWidget *window, quint8 alpha) override;

private:
    QHash<const QWidget *, PlacedLeft> m_left;
};

// Boxes, menus and links recorded instead of shown.
class FakePrompts : public Prompts
{
public:
    struct Box
    {
        QString text;
        MessageStyle style;
        QString title;
    };

    QList<Box> boxes;
    QList<QUrl> links;
    bool linkResult = true;
    // Picks a menu item by object name; empty leaves the menu unanswered.
    QString menuChoice;
    int menusShown = 0;
    QStringList *log = nullptr;

    // Closes each box with OK at once.
    BoxId messageBox(const QString &text, MessageStyle style, const QString &title, BoxClosed closed) override;
    void raiseBox(BoxId box) override;
    void popupMenu(QMenu *menu) override;
    bool openLink(const QUrl &address) override;

private:
    void record(const QString &event) const;
};

// A folder the test owns; the program's end recorded.
class FakeApplication : public Application
{
public:
    QString folderPath;
    int programEnds = 0;
    QStringList *log = nullptr;

    QString folder() const override { return folderPath; }
    std::optional<double> fileSize(const QString &path) const override;
    void endProgram() override;
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
    QMenu *menu = nullptr;
    QStringList *log = nullptr;

    void add(const QIcon &newIcon, const QString &newTip, QMenu *newMenu) override;
    void remove() override;
};
