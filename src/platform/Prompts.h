#pragma once

#include <QString>

#include <functional>

class QMenu;
class QUrl;

enum class MessageStyle { Critical = 16, Information = 64 };

// What the program puts before the user: message boxes, menus, and web
// pages in the user's browser.
class Prompts
{
public:
    // Called with the box's non-zero result when the user closes it.
    using BoxClosed = std::function<void(int result)>;
    // Names one box for raiseBox(); never 0.
    using BoxId = quint64;

    virtual ~Prompts() = default;

    // Shows a box with one OK button, modal to the program's windows, and
    // returns at once: the event loop, and so every timer, goes on while it
    // stands open.
    virtual BoxId messageBox(const QString &text, MessageStyle style, const QString &title,
                             BoxClosed closed = {}) = 0;
    // Brings the box to the front, where it still stands.
    virtual void raiseBox(BoxId box) = 0;
    // Shows the menu at the pointer and runs the chosen action.
    virtual void popupMenu(QMenu *menu) = 0;
    // Hands the address to the desktop's browser without waiting; false when
    // no browser could be started.
    virtual bool openLink(const QUrl &address) = 0;
};
