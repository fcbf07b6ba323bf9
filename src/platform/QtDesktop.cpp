#include "QtDesktop.h"

#include "common/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Kept on the window itself, so it goes with the window: what setLeft() was
// last asked for, the pixel it became, the top it keeps, the alpha set last.
const char *const LeftTwips = "dimmerlingLeftTwips";
const char *const LeftPixels = "dimmerlingLeftPixels";
const char *const PlacedTop = "dimmerlingPlacedTop";
const char *const Alpha = "dimmerlingAlpha";

} // namespace

void QtDesktop::makeTopmost(QWidget *window)
{
    // Changing flags hides a shown window; keep it as it was.
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
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
    const QVariant pixels = window->property(LeftPixels);
    if (pixels.isValid() && pixels.toInt() == window->x())
        return window->property(LeftTwips).toFloat();
    return Twips::fromPixels(window->x());
}

void QtDesktop::setLeft(QWidget *window, float twips)
{
    // Under a reparenting window manager y() may briefly read the frame's
    // origin after show; the top is the one the window had when first placed.
    const QVariant placedTop = window->property(PlacedTop);
    const int top = placedTop.isValid() ? placedTop.toInt() : window->y();
    const int pixels = Twips::toPixels(twips);
    window->setProperty(LeftTwips, twips);
    window->setProperty(LeftPixels, pixels);
    window->setProperty(PlacedTop, top);
    window->move(pixels, top);
}

void QtDesktop::setOpacity(QWidget *window, quint8 alpha)
{
    // The tick sets this ten times a second; only a change may reach the X
    // server.
    const QVariant last = window->property(Alpha);
    if (last.isValid() && last.toInt() == alpha)
        return;
    window->setProperty(Alpha, int(alpha));
    window->setWindowOpacity(alpha / 255.0);
}
