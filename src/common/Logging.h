#pragma once

#include <QLoggingCategory>

// Diagnostics, silent unless asked for, e.g.
// QT_LOGGING_RULES="dimmerling.*=true": which battery source serves, which
// settings file is read or written, and the errors the program tolerates.
Q_DECLARE_LOGGING_CATEGORY(lcBattery)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
