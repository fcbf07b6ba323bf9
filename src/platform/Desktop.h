#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

class QObject;
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

// Where the program's windows sit on the desktop, and how they look there.
// A window's edges cross this interface in twips (1/1440 inch), the work
// area and other places in pixels; all are measured from the primary
// screen's top-left corner, wherever that monitor stands.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Keeps the window above ordinary windows and on every workspace;
    // position and size unchanged.
    virtual void makeTopmost(QWidget *window) = 0;
    // The desktop minus panels, in pixels; nothing when there is no screen.
    virtual std::optional<PixelRect> workArea() const = 0;
    // Puts the window's top-left corner at this point, in pixels.
    virtual void moveTo(QWidget *window, int left, int top) = 0;
    // Calls changed whenever the work area or the primary screen may have
    // changed (a resolution change, a monitor plugged, unplugged or moved,
    // another primary monitor, a panel moved), until context is destroyed.
    virtual void watchWorkArea(QObject *context, std::function<void()> changed) = 0;
    // The window's left edge in twips. Reads back exactly what setLeft() set
    // while nobody else has moved the window, and for a moment after the
    // screens change, while a window manager may still move it.
    virtual float left(const QWidget *window) const = 0;
    virtual void setLeft(QWidget *window, float twips) = 0;
    // Opacity of the whole window, 0 (invisible) to 255 (opaque).
    virtual void setOpacity(QWidget *window, quint8 alpha) = 0;
};
