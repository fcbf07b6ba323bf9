#pragma once

#include <QString>

// How the program lives in a Linux desktop session.
namespace Session {

// Before the application exists: on Wayland with XWayland, run on X11, the
// only place a window can place itself and stay on top.
void preferX11();

// Before the application exists, after preferX11(): why the gauge cannot
// show on a display where Qt would otherwise abort (none set, or an X11
// display that cannot be reached); empty when it can, or when a platform
// that needs no display is asked for.
QString displayProblem();

// Before the application exists: what the XDG base directory rules leave to
// the program, so that Qt's standard folders are real ones. A relative
// XDG_CONFIG_HOME is ignored, as the rules ask; an unset HOME is taken from
// the password database, as the shell and GLib do.
void settleBaseFolders();

// After the application exists: on a Wayland platform (no XWayland, or
// Wayland asked for), says on standard error that the gauge can neither
// place itself nor stay on top there.
void reportWaylandLimits();

// After the application exists: SIGTERM, SIGINT and SIGHUP end the program
// through the event loop, so the windows are released and the tray icon
// goes away.
void quitOnTerminationSignals();

} // namespace Session
