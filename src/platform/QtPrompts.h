#pragma once

#include "BlockedCloseFilter.h"
#include "Prompts.h"

#include <QHash>
#include <QPointer>

class QMessageBox;

// Qt's message boxes and menus, and the desktop's browser through xdg-open.
class QtPrompts : public Prompts
{
public:
    QtPrompts();
    ~QtPrompts() override;

    BoxId messageBox(const QString &text, MessageStyle style, const QString &title, BoxClosed closed) override;
    void raiseBox(BoxId box) override;
    void popupMenu(QMenu *menu) override;
    bool openLink(const QUrl &address) override;

private:
    QHash<BoxId, QPointer<QMessageBox>> m_boxes;
    BoxId m_lastBox = 0;
    // The boxes are modal: a window manager's close of the windows they
    // block must still be carried out.
    BlockedCloseFilter m_closeFilter;
};
