#pragma once

#include <QAbstractNativeEventFilter>

// Qt drops a window manager's close of a window that a modal box blocks, and
// never carries it out later. This filter sees that close on X11 and closes
// the window as at any other time (its closeEvent runs).
class BlockedCloseFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    bool isDeleteRequest(const void *event);

    quint32 m_protocols = 0;    // the atom WM_PROTOCOLS, once known
    quint32 m_deleteWindow = 0; // the atom WM_DELETE_WINDOW, once known
};
