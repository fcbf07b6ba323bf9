#include "FakePlatform.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

float FakeDesktop::left(const QWidget *window) const
{
    return m_left.value(window).read(window->x());
}

void FakeDesktop::moveTo(QWidget *window, int left, int top)
{
    window->move(left, top);
}

void FakeDesktop::setLeft(QWidget *window, float twips)
{
    window->move(m_left[window].place(twips), window->y());
}

void FakeDesktop::setOpacity(QWidget *window, quint8 alpha)
{
    ++opacitySets;
    window->setWindowOpacity(alpha / 255.0);
}

Prompts::BoxId FakePrompts::messageBox(const QString &text, MessageStyle style, const QString &title,
                                       BoxClosed closed)
{
    boxes.append({text, style, title});
    record(QStringLiteral("box:") + text);
    if (closed)
        closed(QMessageBox::Ok);
    return BoxId(boxes.size());
}

void FakePrompts::raiseBox(BoxId box)
{
    record(QStringLiteral("raise:") + QString::number(box));
}

void FakePrompts::popupMenu(QMenu *menu)
{
    ++menusShown;
    record(QStringLiteral("menu"));
    if (menuChoice.isEmpty())
        return;
    for (QAction *action : menu->actions()) {
        if (action->objectName() == menuChoice && action->isEnabled())
            action->trigger();
    }
}

bool FakePrompts::openLink(const QUrl &address)
{
    links.append(address);
    record(QStringLiteral("link:") + address.toString());
    return linkResult;
}

void FakePrompts::record(const QString &event) const
{
    if (log)
        log->append(event);
}

std::optional<double> FakeApplication::fileSize(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() ? std::optional<double>(double(info.size())) : std::nullopt;
}

void FakeApplication::endProgram()
{
    ++programEnds;
    if (log)
        log->append(QStringLiteral("end"));
}

void FakeTrayIcon::add(const QIcon &newIcon, const QString &newTip, QMenu *newMenu)
{
    shown = true;
    menu = newMenu;
    icon = newIcon;
    tip = newTip;
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
