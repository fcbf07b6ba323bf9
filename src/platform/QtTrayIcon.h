#pragma once

#include "TrayIcon.h"

#include <QSystemTrayIcon>

#include <memory>

// The notification-area icon through Qt: StatusNotifierItem where the
// desktop offers it, XEmbed otherwise.
class QtTrayIcon : public TrayIcon
{
public:
    void add(const QIcon &icon, const QString &tip, Notify notify) override;
    void remove() override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
