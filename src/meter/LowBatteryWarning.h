#pragma once

#include "platform/Prompts.h"

#include <QObject>

// The low-battery box: once per episode below 20 %, and never two at once.
class LowBatteryWarning : public QObject
{
    Q_OBJECT

public:
    LowBatteryWarning(Prompts &prompts, QObject *parent);

    // Below 20 %: the box, when enabled and not yet shown in this episode.
    void warnOnce(bool enabled);
    // Back at 20 % or more: the next episode below warns again.
    void rearm();

private:
    Prompts &m_prompts;
    bool Warned = false;
    bool m_lastBoxResult = false; // taken as designed; nothing reads it
    bool m_warningStands = false; // the box is open
    Prompts::BoxId m_warningBox = 0;
};
