#include "LowBatteryWarning.h"

#include "platform/Prompts.h"

#include <QPointer>

LowBatteryWarning::LowBatteryWarning(Prompts &prompts, QObject *parent)
    : QObject(parent)
    , m_prompts(prompts)
{
}

void LowBatteryWarning::warnOnce(bool enabled)
{
    if (Warned)
        return;
    // Set before the box opens, so the ticks that run while it stands open
    // open no second one within the same low episode.
    Warned = true;
    if (!enabled)
        return;
    // One box at most: one still standing from an earlier episode is
    // brought to the front instead.
    if (m_warningStands) {
        m_prompts.raiseBox(m_warningBox);
        return;
    }
    const auto closed = [self = QPointer<LowBatteryWarning>(this)](int result) {
        if (self) {
            self->m_lastBoxResult = result != 0;
            self->m_warningStands = false;
        }
    };
    // Before the box opens: a box that closes at once says so meanwhile.
    m_warningStands = true;
    m_warningBox = m_prompts.messageBox(tr("Battery power is below 20%!"), MessageStyle::Critical,
                                        tr("Warning!"), closed);
}

void LowBatteryWarning::rearm()
{
    Warned = false;
}
