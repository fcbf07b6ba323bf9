#pragma once

#include <Qt>

#include <functional>

class QIcon;
class QMenu;
class QString;

// An icon in the desktop's notification area.
class TrayIcon
{
public:
    // Called with the mouse button of each click on the icon.
    using Notify = std::function<void(Qt::MouseButtons)>;

    virtual ~TrayIcon() = default;

    // Shows the icon with its tool tip. A right click shows menu's actions,
    // however the desktop asks for them (a menu the program pops up, or one
    // a StatusNotifier host draws from D-Bus); every other click goes to
    // notify.
    virtual void add(const QIcon &icon, const QString &tip, QMenu *menu, Notify notify) = 0;
    // Takes the icon away; harmless when none is shown.
    virtual void remove() = 0;
};
