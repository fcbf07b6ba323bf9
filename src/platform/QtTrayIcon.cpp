#include "QtTrayIcon.h"

#include <QCoreApplication>

namespace {

Qt::MouseButtons buttonOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return Qt::RightButton;
    case QSystemTrayIcon::MiddleClick:
        return Qt::MiddleButton;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        return Qt::LeftButton;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return Qt::NoButton;
}

} // namespace

void QtTrayIcon::add(const QIcon &icon, const QString &tip, Notify notify)
{
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip);
    // Queued: the menu opened from a click may delete this icon (Exit), which
    // must not happen inside the icon's own event handling.
    QObject::connect(
        m_icon.get(), &QSystemTrayIcon::activated, QCoreApplication::instance(),
        [notify](QSystemTrayIcon::ActivationReason reason) { notify(buttonOf(reason)); }, Qt::QueuedConnection);
    // Without a notification area Qt shows the icon once one appears.
    m_icon->show();
}

void QtTrayIcon::remove()
{
    m_icon.reset();
}
