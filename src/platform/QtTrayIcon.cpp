#include "QtTrayIcon.h"

void QtTrayIcon::add(const QIcon &icon, const QString &tip, QMenu *menu)
{
    m_menu.clear();
    m_menu.addActions(menu->actions());
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip);
    // Qt answers the right click with this menu on either kind of tray; the
    // other clicks have nothing to do.
    m_icon->setContextMenu(&m_menu);
    // Without a notification area Qt shows the icon once one appears.
    m_icon->show();
}

void QtTrayIcon::remove()
{
    // Exit chosen in the icon's own menu lands here from inside that menu's
    // (or its D-Bus export's) event handling: the icon leaves the tray now,
    // and is deleted with this object, once that handling is over.
    if (m_icon)
        m_icon->hide();
}
