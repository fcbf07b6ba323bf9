#include "QtDesktop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <memory>

namespace {

// _NET_WM_DESKTOP's value for "every workspace".
constexpr quint32 AllWorkspaces = 0xFFFFFFFF;

xcb_connection_t *x11Connection()
{
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Asks an X11 window manager to show the window on every workspace, each
// time before it is mapped: managers forget it when a window is hidden.
class EveryWorkspace : public QObject
{
public:
    explicit EveryWorkspace(QWidget *window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ask(static_cast<QWidget *>(watched));
        return false;
    }

private:
    static void ask(QWidget *window)
    {
        xcb_connection_t *connection = x11Connection();
        if (!connection)
            return;
        const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
        if (desktop == XCB_ATOM_NONE)
            return;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), desktop,
                            XCB_ATOM_CARDINAL, 32, 1, &AllWorkspaces);
    }
};

} // namespace

void QtDesktop::makeTopmost(QWidget *window)
{
    // Changing flags hides a shown window; keep it as it was.
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
    // Seen wherever the user works, as panels are.
    new EveryWorkspace(window);
    window->setVisible(wasVisible);
}

std::optional<PixelRect> QtDesktop::workArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QRect area = screen->availableGeometry();
    return PixelRect{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void QtDesktop::watchWorkArea(QObject *context, std::function<void()> changed)
{
    const auto follow = [context, changed](QScreen *screen) {
        if (screen)
            QObject::connect(screen, &QScreen::availableGeometryChanged, context, changed);
    };
    follow(QGuiApplication::primaryScreen());
    // Another monitor may become the primary one, with a work area of its own.
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, context, [follow, changed](QScreen *screen) {
        follow(screen);
        changed();
    });
}

float QtDesktop::left(const QWidget *window) const
{
    return m_placements.value(window).left.read(window->x());
}

void QtDesktop::setLeft(QWidget *window, float twips)
{
    auto placement = m_placements.find(window);
    if (placement == m_placements.end()) {
        // Under a reparenting window manager y() may briefly read the
        // frame's origin after show; the top is the one the window had when
        // first placed.
        placement = m_placements.insert(window, {PlacedLeft(), window->y()});
        QObject::connect(window, &QObject::destroyed, &m_context, [this, window] { m_placements.remove(window); });
    }
    window->move(placement->left.place(twips), placement->top);
}

void QtDesktop::setOpacity(QWidget *window, quint8 alpha)
{
    window->setWindowOpacity(alpha / 255.0);
}
