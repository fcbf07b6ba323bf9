#pragma once

#include <xcb/xcb.h>

// The X server behind Qt's xcb platform, for the few requests Qt has no call
// for.
namespace X11 {

// Qt's connection; null on any other platform.
xcb_connection_t *connection();

// The atom of that name, or XCB_ATOM_NONE when the server does not answer.
xcb_atom_t atom(xcb_connection_t *connection, const char *name);

} // namespace X11
