#include "Colour.h"

#include <algorithm>
#include <cmath>

namespace {

// Text that people with low vision can still read, by the same guidelines.
constexpr double ReadableContrast = 4.5;
constexpr int MixSteps = 10;

double channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double worstContrast(const QColor &text, const QList<QColor> &backgrounds)
{
    double worst = 21.0;
    for (const QColor &background : backgrounds)
        worst = std::min(worst, contrast(text, background));
    return worst;
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor readableOn(const QColor &text, const QList<QColor> &backgrounds)
{
    if (worstContrast(text, backgrounds) >= ReadableContrast)
        return text;
    // Towards whichever end reads better over these backgrounds, keeping as
    // much of the wanted colour as that allows.
    const QColor end = worstContrast(Qt::black, backgrounds) >= worstContrast(Qt::white, backgrounds)
        ? QColor(Qt::black)
        : QColor(Qt::white);
    for (int step = 1; step < MixSteps; ++step) {
        const QColor candidate = mixed(text, end, double(step) / MixSteps);
        if (worstContrast(candidate, backgrounds) >= ReadableContrast)
            return candidate;
    }
    return end;
}
