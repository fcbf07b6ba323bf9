#include "QtDesktop.h"
#include "X11.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// How long the screens must be quiet before the gauge is placed once more.
constexpr int SettleMs = 300;

// _NET_WM_DESKTOP's value for "every workspace".
constexpr quint32 AllWorkspaces = 0xFFFFFFFF;

// Places are measured from the primary screen's top-left corner, which on
// X11 may lie anywhere in the root window; none when there is no screen.
QPoint primaryOrigin()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().topLeft() : QPoint();
}

QPoint onPrimary(int left, int top)
{
    return primaryOrigin() + QPoint(left, top);
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
    void ask(QWidget *window)
    {
        xcb_connection_t *connection = X11::connection();
        if (!connection)
            return;
        // Asked once: a gauge that hides when full is shown again and again.
        if (m_desktop == XCB_ATOM_NONE)
            m_desktop = X11::atom(connection, "_NET_WM_DESKTOP");
        if (m_desktop == XCB_ATOM_NONE)
            return;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), m_desktop,
                            XCB_ATOM_CARDINAL, 32, 1, &AllWorkspaces);
    }

    xcb_atom_t m_desktop = XCB_ATOM_NONE;
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
    const QRect area = screen->availableGeometry().translated(-screen->geometry().topLeft());
    return PixelRect{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void QtDesktop::moveTo(QWidget *window, int left, int top)
{
    window->move(onPrimary(left, top));
}

void QtDesktop::watchWorkArea(QObject *context, std::function<void()> changed)
{
    // Window managers move windows off a monitor that went away, at times
    // after the gauge was put on the new primary one: once the layout has
    // been quiet a moment, the gauge is placed again at the side it was put.
    auto *settled = new QTimer(context);
    settled->setSingleShot(true);
    settled->setInterval(SettleMs);
    QObject::connect(settled, &QTimer::timeout, context, changed);
    // Called at once, while the window still sits where it was put.
    const auto relayout = [this, changed, settled] {
        m_layoutChanged.start();
        changed();
        settled->start();
    };
    // A monitor plugged, unplugged or moved, a new primary one, a panel
    // moved: each may move the primary screen's origin or work area.
    const auto follow = [context, relayout](QScreen *screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context, relayout);
        QObject::connect(screen, &QScreen::availableGeometryChanged, context, relayout);
    };
    for (QScreen *screen : QGuiApplication::screens())
        follow(screen);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context, [follow, relayout](QScreen *screen) {
        follow(screen);
        relayout();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, context, relayout);
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, context, relayout);
}

float QtDesktop::left(const QWidget *window) const
{
    const PlacedLeft placed = m_placements.value(window).left;
    // Until a layout change has settled, a move was the window manager's.
    const bool settling = m_layoutChanged.isValid() && !m_layoutChanged.hasExpired(2 * qint64(SettleMs));
    if (settling && m_placements.contains(window))
        return placed.asked();
    return placed.read(window->x() - primaryOrigin().x());
}

void QtDesktop::setLeft(QWidget *window, float twips)
{
    auto placement = m_placements.find(window);
    if (placement == m_placements.end()) {
        // Under a reparenting window manager y() may briefly read the
        // frame's origin after show; the top is the one the window had when
        // first placed, taken as measured from the primary screen's top.
        placement = m_placements.insert(window, {PlacedLeft(), window->y()});
        QObject::connect(window, &QObject::destroyed, &m_context, [this, window] { m_placements.remove(window); });
    }
    window->move(onPrimary(placement->left.place(twips), placement->top));
}

void QtDesktop::setOpacity(QWidget *window, quint8 alpha)
{
    window->setWindowOpacity(alpha / 255.0);
}
