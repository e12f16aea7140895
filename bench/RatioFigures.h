#pragma once

#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

namespace tovra::bench {

// The smallest, middle and largest of a row's samples.
struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};
Spread spreadOf(QList<double> samples);

// Reports one row of figures as counters "<row>_min", "<row>_med" and
// "<row>_max", and prints it as a line of the table with its goal, so one run
// shows every row against its floor.
void reportRow(benchmark::State &state, const QString &row, const QList<double> &samples, double goal);
// The same for a row that has no goal of its own: it explains another.
void reportRow(benchmark::State &state, const QString &row, const QList<double> &samples);

} // namespace tovra::bench
