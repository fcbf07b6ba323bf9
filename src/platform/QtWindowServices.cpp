#include "QtWindowServices.h"

#include "Twips.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

void QtWindowServices::makeTopmost(QWidget *window)
{
    // Changing flags hides a shown window; keep it as it was.
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
    window->setVisible(wasVisible);
}

std::optional<PixelRect> QtWindowServices::workArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QRect area = screen->availableGeometry();
    return PixelRect{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void QtWindowServices::watchWorkArea(QObject *context, std::function<void()> changed)
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

float QtWindowServices::pixelsToTwipsX(qint32 pixels) const
{
    return Twips::fromPixels(pixels);
}

QtWindowServices::WindowState &QtWindowServices::stateOf(QWidget *window)
{
    // The tick asks about the same window three times ten times a second.
    if (window != m_lastWindow) {
        auto state = m_windows.find(window);
        if (state == m_windows.end()) {
            // A later window at the same address must not inherit this state.
            QObject::connect(window, &QObject::destroyed, &m_connections, [this, window] { forget(window); });
            state = m_windows.emplace(window, WindowState{}).first;
        }
        m_lastWindow = window;
        m_lastState = &state->second;
    }
    return *m_lastState;
}

const QtWindowServices::WindowState *QtWindowServices::findState(const QWidget *window) const
{
    if (window == m_lastWindow)
        return m_lastState;
    const auto state = m_windows.find(window);
    return state != m_windows.end() ? &state->second : nullptr;
}

void QtWindowServices::forget(const QWidget *window)
{
    m_windows.erase(window);
    if (window == m_lastWindow) {
        m_lastWindow = nullptr;
        m_lastState = nullptr;
    }
}

float QtWindowServices::left(const QWidget *window) const
{
    const WindowState *state = findState(window);
    if (state && state->leftEdge && state->leftEdge->pixels == window->x())
        return state->leftEdge->twips;
    return Twips::fromPixels(window->x());
}

void QtWindowServices::setLeft(QWidget *window, float twips)
{
    // Under a reparenting window manager y() may briefly read the frame's
    // origin after show; the top is the one the window had when first placed.
    std::optional<LeftEdge> &edge = stateOf(window).leftEdge;
    const int top = edge ? edge->top : window->y();
    const int pixels = Twips::toPixels(twips);
    edge = LeftEdge{twips, pixels, top};
    window->move(pixels, top);
}

bool QtWindowServices::isVisible(const QWidget *window) const
{
    return window->isVisible();
}

void QtWindowServices::setVisible(QWidget *window, bool visible)
{
    window->setVisible(visible);
}

qint32 QtWindowServices::extendedStyle(const QWidget *window) const
{
    const WindowState *state = findState(window);
    return state ? state->extendedStyle : 0;
}

void QtWindowServices::setExtendedStyle(QWidget *window, qint32 style)
{
    // X11 has no extended style: every window can be translucent.
    stateOf(window).extendedStyle = style;
}

void QtWindowServices::setAlpha(QWidget *window, quint8 alpha)
{
    // The tick repeats this ten times a second; only a change may reach the
    // X server.
    std::optional<quint8> &last = stateOf(window).alpha;
    if (last == alpha)
        return;
    last = alpha;
    window->setWindowOpacity(alpha / 255.0);
}

void QtWindowServices::messageBox(const QString &text, MessageStyle style, const QString &title,
                                  BoxClosed closed)
{
    // Not exec(): a box opened from a timer's slot would stop that timer
    // until it closes.
    const auto icon = style == MessageStyle::Critical ? QMessageBox::Critical : QMessageBox::Information;
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    if (closed)
        QObject::connect(box, &QMessageBox::finished, box, std::move(closed));
    box->show();
}

void QtWindowServices::popupMenu(QMenu *menu)
{
    menu->exec(QCursor::pos());
}

bool QtWindowServices::openLink(const QUrl &address)
{
    return QDesktopServices::openUrl(address);
}

void QtWindowServices::endProgram()
{
    // Leaves every event loop, a message box's too.
    QCoreApplication::exit(0);
}

QString QtWindowServices::applicationFolder() const
{
    return QCoreApplication::applicationDirPath();
}

std::optional<double> QtWindowServices::fileSize(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return double(info.size());
}
