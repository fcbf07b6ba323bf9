#include "BlockedCloseFilter.h"
#include "X11.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

namespace {

QWidget *topLevelWith(xcb_window_t window)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->internalWinId() == WId(window))
            return top;
    }
    return nullptr;
}

} // namespace

bool BlockedCloseFilter::isDeleteRequest(const void *event)
{
    const auto *message = static_cast<const xcb_client_message_event_t *>(event);
    if (m_protocols == XCB_ATOM_NONE) {
        xcb_connection_t *connection = X11::connection();
        if (connection == nullptr)
            return false;
        m_protocols = X11::atom(connection, "WM_PROTOCOLS");
        m_deleteWindow = X11::atom(connection, "WM_DELETE_WINDOW");
    }
    return message->format == 32 && message->type == m_protocols && m_protocols != XCB_ATOM_NONE
        && message->data.data32[0] == m_deleteWindow;
}

bool BlockedCloseFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE || !isDeleteRequest(event))
        return false;
    QWidget *modal = QApplication::activeModalWidget();
    QWidget *window = topLevelWith(static_cast<const xcb_client_message_event_t *>(message)->window);
    if (modal == nullptr || window == nullptr || window == modal)
        return false;
    // Later, from the event loop: closing may end the program.
    QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
    return true;
}
