#include "Logging.h"

// Only warnings by default; debug and info come on through QT_LOGGING_RULES.
Q_LOGGING_CATEGORY(lcBattery, "dimmerling.battery", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "dimmerling.settings", QtWarningMsg)
