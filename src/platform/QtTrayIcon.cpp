#include "QtTrayIcon.h"

#include <QCoreApplication>

namespace {

Qt::MouseButtons buttonOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::MiddleClick:
        return Qt::MiddleButton;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        return Qt::LeftButton;
    case QSystemTrayIcon::Context: // the icon's menu answers it
    case QSystemTrayIcon::Unknown:
        break;
    }
    return Qt::NoButton;
}

} // namespace

void QtTrayIcon::add(const QIcon &icon, const QString &tip, QMenu *menu, Notify notify)
{
    m_menu.clear();
    m_menu.addActions(menu->actions());
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip);
    m_icon->setContextMenu(&m_menu);
    // The menu answers the right click on either kind of tray: passing it on
    // too would open a second one. Queued: Exit from the menu deletes this
    // icon, which must not happen inside the icon's own event handling.
    QObject::connect(
        m_icon.get(), &QSystemTrayIcon::activated, QCoreApplication::instance(),
        [notify](QSystemTrayIcon::ActivationReason reason) {
            if (reason != QSystemTrayIcon::Context)
                notify(buttonOf(reason));
        },
        Qt::QueuedConnection);
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
