#pragma once

#include "FakePlatform.h"
#include "meter/Gauge.h"
#include "meter/Meter.h"
#include "platform/QtDesktop.h"
#include "platform/QtPrompts.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// A meter on the fake platform, in a folder of its own, or with the real
// desktop or the real boxes and menus when a test asks before load. The
// timer is stopped after load, so each test lets it tick once at a time, or
// starts it again to see what the event loop does.
struct MeterRig
{
    QTemporaryDir dir;
    QStringList log;
    FakeDesktop desktop;
    FakePrompts prompts;
    FakeApplication application;
    FakeBattery battery;
    FakeTrayIcon tray;
    QtDesktop realDesktop;
    QtPrompts realPrompts;
    bool useRealDesktop = false;
    bool useRealPrompts = false;
    std::unique_ptr<Meter> meter;

    MeterRig()
    {
        application.folderPath = dir.path();
        prompts.log = &log;
        application.log = &log;
        tray.log = &log;
    }

    Platform platform()
    {
        Desktop *chosenDesktop = useRealDesktop ? static_cast<Desktop *>(&realDesktop) : &desktop;
        Prompts *chosenPrompts = useRealPrompts ? static_cast<Prompts *>(&realPrompts) : &prompts;
        return {*chosenDesktop, *chosenPrompts, application, battery, tray};
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("settings.ini")); }

    void writeSettings(const QByteArray &content) const
    {
        QFile file(settingsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

    QByteArray settings() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Meter &load(const QByteArray &content)
    {
        writeSettings(content);
        return load();
    }

    // Loads with whatever the folder holds, and shows the meter.
    Meter &load()
    {
        meter = std::make_unique<Meter>(platform());
        meter->Form_Load();
        timer1()->stop();
        meter->show();
        // Pointer events sent before it is exposed are lost.
        if (!QTest::qWaitForWindowExposed(meter.get()))
            qFatal("the meter window was never exposed");
        return *meter;
    }

    QTimer *timer1() const { return meter->findChild<QTimer *>(QStringLiteral("Timer1")); }
    MeterLabel *label3() const { return meter->findChild<MeterLabel *>(QStringLiteral("Label3")); }
    QAction *mnuSettings() const { return meter->findChild<QAction *>(QStringLiteral("MnuSettings")); }

    void startTicking() { timer1()->start(); }

    // One tick of the meter's own timer at this reading.
    void tick(qint16 charge, qint16 ac = 0)
    {
        battery.level = charge;
        battery.ac = ac;
        QSignalSpy ticked(timer1(), &QTimer::timeout);
        startTicking();
        if (!ticked.wait())
            qFatal("the meter's timer never fired");
        timer1()->stop();
    }

    // Whether the pointer moving onto the text makes the meter dodge; no
    // pointer reaches a hidden text.
    bool dodgesOnHover()
    {
        if (!label3()->isVisible())
            return false;
        const int left = meter->x();
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), label3()->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label3(), &move);
        return meter->x() != left;
    }

    // The three switches as the user meets them: the pointer over the text
    // dodges, a full charge hides, a low one warns. Leaves a low reading.
    QString switches()
    {
        QStringList on;
        if (dodgesOnHover())
            on << QStringLiteral("MoveMouseOver");
        tick(100);
        if (meter->isHidden())
            on << QStringLiteral("HideWhenFull");
        const auto boxes = prompts.boxes.size();
        tick(19);
        if (prompts.boxes.size() > boxes)
            on << QStringLiteral("WarnBelow20");
        return on.join(QLatin1Char(' '));
    }
};
