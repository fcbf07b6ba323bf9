// Cost of one tick of the real meter, offscreen, with an unchanged battery
// (the usual case all day) and with one that changes every tick.

#include "BenchMeter.h"
#include "platform/BatteryStatus.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

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

// Median of rounds, each the mean of a batch of ticks, in microseconds.
double medianTickMicros(BenchMeter &bench, SteadyBattery &battery, bool changing)
{
    constexpr int Rounds = 101;
    constexpr int Batch = 200;
    std::vector<double> rounds;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < Batch; ++i) {
            if (changing)
                battery.level = qint16(30 + (round * Batch + i) % 60);
            bench.tick();
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
    quietOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SteadyBattery battery;
    BenchMeter bench(dir.path(), battery);
    bench.tick();
    QCoreApplication::processEvents();

    std::printf("tick: %.2f us\n", medianTickMicros(bench, battery, false));
    std::printf("tick with a changing battery: %.2f us (repaint not included)\n",
                medianTickMicros(bench, battery, true));
    return 0;
}
