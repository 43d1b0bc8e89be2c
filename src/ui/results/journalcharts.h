#pragma once

// The charts of the journal window (Qt Charts): first-pass yield per group,
// a Pareto chart of the most frequent failures (bars of runs, line of the
// cumulative share), and one board's runs over time. Each returns a new
// chart for a QChartView to own.

#include "results/resultsdb.h"

#include <QString>
#include <vector>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace qv::results_ui {

QChart *YieldChart(const std::vector<results::YieldRow> &rows, const QString &title);
// words: the items are output words (else contacts).
QChart *ParetoChart(const std::vector<results::FailureCount> &rows, bool words,
                    const QString &title);
QChart *SerialChart(const std::vector<results::RunRecord> &runs, const QString &serial);

// The label of a Pareto bar.
QString FailureLabel(const results::FailureCount &row, bool words);

} // namespace qv::results_ui
