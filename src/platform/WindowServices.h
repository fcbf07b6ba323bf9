#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class QMenu;
class QObject;
class QUrl;
class QWidget;

// A rectangle in pixels, edges exclusive on the right and bottom, as the
// desktop's work area is reported.
struct PixelRect
{
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

enum class MessageStyle { Critical = 16, Information = 64 };

// The window-system operations the windows rely on. All geometry crossing
// this interface is in twips (1/1440 inch) unless a name says pixels.
class WindowServices
{
public:
    // The layered-window bit of the extended style.
    static constexpr qint32 LayeredStyle = 0x80000;

    virtual ~WindowServices() = default;

    // Keeps the window above ordinary windows; position and size unchanged.
    virtual void makeTopmost(QWidget *window) = 0;
    // The desktop minus panels, in pixels; nothing when there is no screen.
    virtual std::optional<PixelRect> workArea() const = 0;
    // Calls changed whenever the work area changes (a resolution change, a
    // monitor unplugged, a panel moved), until context is destroyed.
    virtual void watchWorkArea(QObject *context, std::function<void()> changed) = 0;
    // A horizontal length in pixels, as twips.
    virtual float pixelsToTwipsX(qint32 pixels) const = 0;

    // The window's left edge in twips. Reads back exactly what setLeft() set
    // while nobody else has moved the window.
    virtual float left(const QWidget *window) const = 0;
    virtual void setLeft(QWidget *window, float twips) = 0;

    virtual bool isVisible(const QWidget *window) const = 0;
    virtual void setVisible(QWidget *window, bool visible) = 0;

    // Extended style bits; only LayeredStyle means anything.
    virtual qint32 extendedStyle(const QWidget *window) const = 0;
    virtual void setExtendedStyle(QWidget *window, qint32 style) = 0;
    // Opacity of the whole window, 0 (invisible) to 255 (opaque).
    virtual void setAlpha(QWidget *window, quint8 alpha) = 0;

    // Called with the box's non-zero result when the user closes it.
    using BoxClosed = std::function<void(int result)>;

    // Shows a box with one OK button, modal to the program's windows, and
    // returns at once: the event loop, and so every timer, goes on while it
    // stands open.
    virtual void messageBox(const QString &text, MessageStyle style, const QString &title,
                            BoxClosed closed = {}) = 0;
    // Shows the menu at the pointer and runs the chosen action.
    virtual void popupMenu(QMenu *menu) = 0;

    // Hands the address to the desktop's browser without waiting; false when
    // no browser could be started.
    virtual bool openLink(const QUrl &address) = 0;
    // Ends the program at once (after the current handler returns).
    virtual void endProgram() = 0;

    // The folder that holds the executable.
    virtual QString applicationFolder() const = 0;
    // The file's length in bytes; nothing when it cannot be read.
    virtual std::optional<double> fileSize(const QString &path) const = 0;
};
