#include "BlockedCloseFilter.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

xcb_atom_t replyAtom(xcb_connection_t *connection, xcb_intern_atom_cookie_t cookie)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

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
        const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr)
            return false;
        // Both asked before either answer is awaited: one round trip.
        const xcb_intern_atom_cookie_t protocols = xcb_intern_atom(x11->connection(), 1, 12, "WM_PROTOCOLS");
        const xcb_intern_atom_cookie_t deleteWindow = xcb_intern_atom(x11->connection(), 1, 16, "WM_DELETE_WINDOW");
        m_protocols = replyAtom(x11->connection(), protocols);
        m_deleteWindow = replyAtom(x11->connection(), deleteWindow);
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
