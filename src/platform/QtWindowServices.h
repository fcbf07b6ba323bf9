#pragma once

#include "WindowServices.h"

#include <QObject>

#include <unordered_map>

// The window services on a Qt desktop (X11, or XWayland).
class QtWindowServices : public WindowServices
{
public:
    void makeTopmost(QWidget *window) override;
    std::optional<PixelRect> workArea() const override;
    void watchWorkArea(QObject *context, std::function<void()> changed) override;
    float pixelsToTwipsX(qint32 pixels) const override;
    float left(const QWidget *window) const override;
    void setLeft(QWidget *window, float twips) override;
    bool isVisible(const QWidget *window) const override;
    void setVisible(QWidget *window, bool visible) override;
    qint32 extendedStyle(const QWidget *window) const override;
    void setExtendedStyle(QWidget *window, qint32 style) override;
    void setAlpha(QWidget *window, quint8 alpha) override;
    void messageBox(const QString &text, MessageStyle style, const QString &title, BoxClosed closed) override;
    void popupMenu(QMenu *menu) override;
    bool openLink(const QUrl &address) override;
    void endProgram() override;
    QString applicationFolder() const override;
    std::optional<double> fileSize(const QString &path) const override;

private:
    // What setLeft() was last asked for, the pixel it became, and the top
    // it keeps.
    struct LeftEdge
    {
        float twips;
        int pixels;
        int top;
    };
    // What this layer keeps for a window, dropped when the window goes.
    struct WindowState
    {
        std::optional<LeftEdge> leftEdge;
        qint32 extendedStyle = 0;
        std::optional<quint8> alpha;
    };

    WindowState &stateOf(QWidget *window);
    const WindowState *findState(const QWidget *window) const;
    void forget(const QWidget *window);

    // Nodes stay put, so the state last used can be kept by its address.
    std::unordered_map<const QWidget *, WindowState> m_windows;
    const QWidget *m_lastWindow = nullptr;
    WindowState *m_lastState = nullptr;
    // Ends the clean-up connections when this layer goes first.
    QObject m_connections;
};
