#include "RatioFigures.h"

#include <algorithm>
#include <cstdio>

namespace tovra::bench {

Spread spreadOf(QList<double> samples)
{
    if (samples.isEmpty())
        return {};
    std::sort(samples.begin(), samples.end());
    const qsizetype middle = samples.size() / 2;
    const double median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return { samples.first(), median, samples.last() };
}

namespace {

Spread countRow(benchmark::State &state, const std::string &name, const QList<double> &samples)
{
    const Spread spread = spreadOf(samples);
    state.counters[name + "_min"] = spread.min;
    state.counters[name + "_med"] = spread.median;
    state.counters[name + "_max"] = spread.max;
    return spread;
}

} // namespace

void reportRow(benchmark::State &state, const QString &row, const QList<double> &samples, double goal)
{
    const std::string name = row.toStdString();
    const Spread spread = countRow(state, name, samples);
    std::fprintf(stderr, "%-28s min %7.2f  median %7.2f  max %7.2f  goal <= %.2f%s\n", name.c_str(),
        spread.min, spread.median, spread.max, goal, spread.median <= goal ? "" : "  (missed)");
}

void reportRow(benchmark::State &state, const QString &row, const QList<double> &samples)
{
    const std::string name = row.toStdString();
    const Spread spread = countRow(state, name, samples);
    std::fprintf(stderr, "%-28s min %7.2f  median %7.2f  max %7.2f\n", name.c_str(), spread.min,
        spread.median, spread.max);
}

} // namespace tovra::bench
