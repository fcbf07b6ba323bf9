#pragma once

// The meter as the bench programs run it: offscreen, on the real platform
// but for a settings folder, a battery and a tray of their own.

#include "meter/Meter.h"
#include "platform/QtApplication.h"
#include "platform/QtDesktop.h"
#include "platform/QtPrompts.h"
#include "platform/TrayIcon.h"

#include <QMetaMethod>
#include <QTimer>

// Before the QApplication: the offscreen platform warns at every opacity
// change and raise; the figures are the only output wanted.
inline void quietOffscreen()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

class BenchMeter
{
public:
    // Loaded and shown with the settings in folder; the timer is stopped, as
    // each bench calls the tick itself.
    BenchMeter(const QString &folder, BatteryStatus &battery)
        : meter({m_desktop, m_prompts, m_application, battery, m_tray})
    {
        m_application.folderPath = folder;
        meter.Form_Load();
        meter.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        meter.show();
        // A private slot: looked up by name once, outside any measured loop.
        const QMetaObject *type = meter.metaObject();
        m_tick = type->method(type->indexOfSlot("Timer1_Timer()"));
    }

    // One tick, called directly as the timer calls it.
    void tick() { m_tick.invoke(&meter, Qt::DirectConnection); }

private:
    class FolderApplication : public QtApplication
    {
    public:
        QString folderPath;
        QString folder() const override { return folderPath; }
    };

    class NoTray : public TrayIcon
    {
    public:
        void add(const QIcon &, const QString &, QMenu *) override {}
        void remove() override {}
    };

    QtDesktop m_desktop;
    QtPrompts m_prompts;
    FolderApplication m_application;
    NoTray m_tray;
    QMetaMethod m_tick;

public:
    Meter meter;
};
