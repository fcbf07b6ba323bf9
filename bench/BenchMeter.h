#pragma once

// What the bench programs share: the real platform but for a settings
// folder of their own, and the meter's tick called as its timer calls it.

#include "meter/Meter.h"
#include "platform/QtApplication.h"

#include <QMetaMethod>

class FolderApplication : public QtApplication
{
public:
    QString folderPath;
    QString folder() const override { return folderPath; }
};

// The tick is a private slot: found by name once, outside any measured loop.
inline QMetaMethod tickOf(const Meter &meter)
{
    const QMetaObject *type = meter.metaObject();
    return type->method(type->indexOfSlot("Timer1_Timer()"));
}
