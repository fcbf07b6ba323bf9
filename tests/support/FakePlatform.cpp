#include "FakePlatform.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

void FakeWindowServices::messageBox(const QString &text, MessageStyle style, const QString &title,
                                    BoxClosed closed)
{
    boxes.append({text, style, title});
    record(QStringLiteral("box:") + text);
    if (realPrompts)
        QtWindowServices::messageBox(text, style, title, std::move(closed));
    else if (closed)
        closed(QMessageBox::Ok);
}

void FakeWindowServices::popupMenu(QMenu *menu)
{
    ++menusShown;
    record(QStringLiteral("menu"));
    if (realPrompts)
        return QtWindowServices::popupMenu(menu);
    if (menuChoice.isEmpty())
        return;
    for (QAction *action : menu->actions()) {
        if (action->objectName() == menuChoice && action->isEnabled())
            action->trigger();
    }
}

bool FakeWindowServices::openLink(const QUrl &address)
{
    links.append(address);
    record(QStringLiteral("link:") + address.toString());
    return linkResult;
}

void FakeWindowServices::endProgram()
{
    ++programEnds;
    record(QStringLiteral("end"));
}

void FakeWindowServices::record(const QString &event) const
{
    if (log)
        log->append(event);
}

void FakeTrayIcon::add(const QIcon &newIcon, const QString &newTip, Notify newNotify)
{
    shown = true;
    icon = newIcon;
    tip = newTip;
    notify = std::move(newNotify);
    if (log)
        log->append(QStringLiteral("tray:add"));
}

void FakeTrayIcon::remove()
{
    shown = false;
    ++removals;
    if (log)
        log->append(QStringLiteral("tray:remove"));
}
