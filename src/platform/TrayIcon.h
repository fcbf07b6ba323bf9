#pragma once

class QIcon;
class QMenu;
class QString;

// An icon in the desktop's notification area.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;

    // Shows the icon with its tool tip; a right click on it offers menu's
    // actions, however the desktop asks for them (a menu the program pops
    // up, or one a StatusNotifier host draws from D-Bus).
    virtual void add(const QIcon &icon, const QString &tip, QMenu *menu) = 0;
    // Takes the icon away; harmless when none is shown.
    virtual void remove() = 0;
};
