#pragma once

#include "TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <memory>

// The notification-area icon through Qt: StatusNotifierItem where the
// desktop offers it, XEmbed otherwise.
class QtTrayIcon : public TrayIcon
{
public:
    void add(const QIcon &icon, const QString &tip, QMenu *menu) override;
    void remove() override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    // The meter's actions in a menu of the icon's own: Qt exports it over
    // D-Bus to StatusNotifier hosts, and pops it up itself on XEmbed trays.
    QMenu m_menu;
};
