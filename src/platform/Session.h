#pragma once

// How the program lives in a Linux desktop session.
namespace Session {

// Before the application exists: on Wayland with XWayland, run on X11, the
// only place a window can place itself and stay on top.
void preferX11();

// After the application exists: on a Wayland platform (no XWayland, or
// Wayland asked for), says on standard error that the gauge can neither
// place itself nor stay on top there.
void reportWaylandLimits();

// After the application exists: SIGTERM, SIGINT and SIGHUP end the program
// through the event loop, so the windows are released and the tray icon
// goes away.
void quitOnTerminationSignals();

} // namespace Session
