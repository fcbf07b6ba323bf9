#pragma once

#include <QString>

// One gauge per user and display: a second start finds the display taken.
// The lock is an flock() on a file in the user's runtime folder, so the
// kernel drops it however the holder ends, even killed.
namespace SingleInstance {

// The display the gauge is about to show on, as a short name: ":0" (the
// screen number and a local "unix" host dropped), "wayland-0", or "none"
// off any display.
QString displayName();

// The lock file for this user and display: in XDG_RUNTIME_DIR, else in the
// temporary folder with the user id in its name.
QString lockPath();

// Takes this display for the life of the process. False when another
// process holds it; a lock file that cannot be opened, or that is not a
// regular file of this user's, does not stop a start (the latter is said
// on standard error).
bool claim();

} // namespace SingleInstance
