#pragma once

#include "FakePlatform.h"
#include "meter/Gauge.h"
#include "meter/Meter.h"
#include "platform/QtDesktop.h"
#include "platform/QtPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// A meter on the fake platform, in a folder of its own, or with the real
// desktop or the real boxes and menus when a test asks before load. The
// timer is stopped after load, so each test drives the ticks itself, or
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
        meter->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        meter->show();
        // Pointer events sent before it is exposed are lost.
        if (!QTest::qWaitForWindowExposed(meter.get()))
            qFatal("the meter window was never exposed");
        return *meter;
    }

    void startTicking() { meter->findChild<QTimer *>(QStringLiteral("Timer1"))->start(); }

    void tick(qint16 charge, qint16 ac = 0)
    {
        battery.level = charge;
        battery.ac = ac;
        meter->Timer1_Timer();
    }
};
