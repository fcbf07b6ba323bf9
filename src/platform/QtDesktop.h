#pragma once

#include "Desktop.h"
#include "common/PlacedLeft.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

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
    struct Placement
    {
        PlacedLeft left;
        int top = 0;
    };

    QHash<const QWidget *, Placement> m_placements;
    // Ends the connections that forget a destroyed window's placement when
    // the desktop goes first.
    QObject m_context;
    // Since the last change of the screens' layout.
    QElapsedTimer m_layoutChanged;
};
