// Cost of one tick of the real meter, offscreen, with an unchanged battery
// (the usual case all day) and with one that changes every tick.

#include "BenchMeter.h"
#include "platform/BatteryStatus.h"
#include "platform/QtDesktop.h"
#include "platform/QtPrompts.h"
#include "platform/TrayIcon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SteadyBattery : public BatteryStatus
{
public:
    qint16 level = 57;
    qint16 charge() override { return level; }
    qint16 acStatus() override { return 0; }
};

class NoTray : public TrayIcon
{
public:
    void add(const QIcon &, const QString &, QMenu *) override {}
    void remove() override {}
};

// Median of rounds, each the mean of a batch of ticks, in microseconds.
double medianTickMicros(Meter &meter, SteadyBattery &battery, bool changing)
{
    const QMetaMethod tick = tickOf(meter);
    constexpr int Rounds = 101;
    constexpr int Batch = 200;
    std::vector<double> rounds;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < Batch; ++i) {
            if (changing)
                battery.level = qint16(30 + (round * Batch + i) % 60);
            tick.invoke(&meter, Qt::DirectConnection);
        }
        rounds.push_back(double(clock.nsecsElapsed()) / Batch / 1000.0);
        QCoreApplication::processEvents();
    }
    std::nth_element(rounds.begin(), rounds.begin() + Rounds / 2, rounds.end());
    return rounds[Rounds / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns on every opacity change; the figures are
    // the only output wanted.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QtDesktop desktop;
    QtPrompts prompts;
    FolderApplication application;
    application.folderPath = dir.path();
    SteadyBattery battery;
    NoTray tray;
    Meter meter({desktop, prompts, application, battery, tray});
    meter.Form_Load();
    meter.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    meter.show();
    tickOf(meter).invoke(&meter, Qt::DirectConnection);
    QCoreApplication::processEvents();

    std::printf("tick: %.2f us\n", medianTickMicros(meter, battery, false));
    std::printf("tick with a changing battery: %.2f us (repaint not included)\n",
                medianTickMicros(meter, battery, true));
    return 0;
}
