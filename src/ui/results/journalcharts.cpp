#include "ui/results/journalcharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

namespace qv::results_ui {

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

QChart *NewChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace

QChart *YieldChart(const std::vector<results::YieldRow> &rows, const QString &title)
{
    QChart *chart = NewChart(title);
    auto *set = new QBarSet(QStringLiteral("Выход годных с первого прогона, %"));
    set->setColor(QColor(60, 140, 60));
    QStringList categories;
    for (const auto &row : rows) {
        *set << row.Percent();
        QString label = Q(row.key);
        label += QStringLiteral(" (%1)").arg(row.runs);
        categories << label;
    }
    auto *series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(3);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    auto *y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTitleText(QStringLiteral("%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

QString FailureLabel(const results::FailureCount &row, bool words)
{
    if (words) {
        QString label = QStringLiteral("o%1").arg(row.item);
        if (!row.name.empty())
            label += QLatin1Char(' ') + Q(row.name);
        return label + QStringLiteral(", тест %1").arg(row.test);
    }
    QString label = QStringLiteral("конт. %1").arg(row.item);
    if (!row.name.empty())
        label += QLatin1Char(' ') + Q(row.name);
    return label;
}

QChart *ParetoChart(const std::vector<results::FailureCount> &rows, bool words,
                    const QString &title)
{
    QChart *chart = NewChart(title);
    auto *set = new QBarSet(QStringLiteral("Прогонов с отказом"));
    set->setColor(QColor(190, 60, 50));
    auto *share = new QLineSeries;
    share->setName(QStringLiteral("Накопленная доля, %"));
    std::int64_t sum = 0;
    for (const auto &row : rows)
        sum += row.runs;
    QStringList categories;
    std::int64_t running = 0;
    std::int64_t most = 1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        *set << static_cast<double>(rows[i].runs);
        most = std::max(most, rows[i].runs);
        running += rows[i].runs;
        share->append(static_cast<double>(i), sum > 0 ? 100.0 * running / sum : 0);
        categories << FailureLabel(rows[i], words);
    }
    auto *bars = new QBarSeries;
    bars->append(set);
    chart->addSeries(bars);
    chart->addSeries(share);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    auto *count = new QValueAxis;
    count->setRange(0, static_cast<double>(most));
    count->setLabelFormat(QStringLiteral("%d"));
    auto *percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d%%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(count, Qt::AlignLeft);
    chart->addAxis(percent, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(count);
    share->attachAxis(x);
    share->attachAxis(percent);
    return chart;
}

QChart *SerialChart(const std::vector<results::RunRecord> &runs, const QString &serial)
{
    QChart *chart = NewChart(QStringLiteral("Плата %1: прогоны по времени").arg(serial));
    auto *trend = new QLineSeries;
    trend->setName(QStringLiteral("Ошибок"));
    auto *passed = new QScatterSeries;
    passed->setName(QStringLiteral("годна"));
    passed->setColor(QColor(40, 150, 40));
    auto *failed = new QScatterSeries;
    failed->setName(QStringLiteral("с ошибками или не выполнен"));
    failed->setColor(QColor(200, 40, 40));
    qint64 first = 0;
    qint64 last = 0;
    int most = 1;
    for (const auto &run : runs) {
        const QDateTime when = QDateTime::fromString(Q(run.started), Qt::ISODateWithMs);
        const qint64 ms = when.toMSecsSinceEpoch();
        first = first == 0 ? ms : std::min(first, ms);
        last = std::max(last, ms);
        const int errors = run.Errors();
        most = std::max(most, errors);
        trend->append(static_cast<double>(ms), errors);
        (run.verdict == "passed" ? passed : failed)->append(static_cast<double>(ms), errors);
    }
    chart->addSeries(trend);
    chart->addSeries(passed);
    chart->addSeries(failed);
    auto *x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("dd.MM.yyyy hh:mm"));
    // One run still needs a span to be drawn on.
    x->setRange(QDateTime::fromMSecsSinceEpoch(first - 60000, Qt::UTC),
                QDateTime::fromMSecsSinceEpoch(last + 60000, Qt::UTC));
    auto *y = new QValueAxis;
    y->setRange(0, most);
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (auto *series : {static_cast<QXYSeries *>(trend), static_cast<QXYSeries *>(passed),
                         static_cast<QXYSeries *>(failed)}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    return chart;
}

} // namespace qv::results_ui
