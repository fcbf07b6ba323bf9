#pragma once

#include "Prompts.h"

// Qt's message boxes and menus, and the desktop's browser through xdg-open.
class QtPrompts : public Prompts
{
public:
    void messageBox(const QString &text, MessageStyle style, const QString &title, BoxClosed closed) override;
    void popupMenu(QMenu *menu) override;
    bool openLink(const QUrl &address) override;
};
