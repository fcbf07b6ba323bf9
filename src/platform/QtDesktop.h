#pragma once

#include "Desktop.h"

#include <QElapsedTimer>

// The desktop as Qt shows it (X11, or XWayland): the primary screen's work
// area, and window flags, moves and opacity.
class QtDesktop : public Desktop
{
public:
    void makeTopmost(QWidget *window) override;
    std::optional<PixelRect> workArea() const override;
    void moveTo(QWidget *window, int left, int top) override;
    void watchWorkArea(QObject *context, std::function<void()> changed) override;
    float left(const QWidget *window) const override;
    void setLeft(QWidget *window, float twips) override;
    void setOpacity(QWidget *window, quint8 alpha) override;

private:
    // Since the last change of the screens' layout.
    QElapsedTimer m_layoutChanged;
};
