#pragma once

#include <Qt>

#include <functional>

class QIcon;
class QString;

// An icon in the desktop's notification area.
class TrayIcon
{
public:
    // Called with the mouse button of each click on the icon.
    using Notify = std::function<void(Qt::MouseButtons)>;

    virtual ~TrayIcon() = default;

    // Shows the icon with its tool tip; clicks on it go to notify.
    virtual void add(const QIcon &icon, const QString &tip, Notify notify) = 0;
    // Takes the icon away; harmless when none is shown.
    virtual void remove() = 0;
};
