#include "results/runtable.h"

#include "model/export/csvline.h"

#include <QString>
#include <algorithm>
#include <cstdio>

namespace qv::results {

namespace {

std::size_t Width(const std::string &text)
{
    return static_cast<std::size_t>(QString::fromStdString(text).size());
}

// A run's start as the operator reads it: date and time, UTC, seconds.
std::string ShortTime(const std::string &iso)
{
    std::string text = iso.substr(0, std::min<std::size_t>(iso.size(), 19));
    std::replace(text.begin(), text.end(), 'T', ' ');
    return text;
}

} // namespace

const std::vector<std::string> &RunColumnTitles()
{
    static const std::vector<std::string> titles{
        "№",    "начало (UTC)", "конец (UTC)", "стенд",  "оператор", "номер платы",
        "файл", "прогон",       "итог",        "ошибок", "SHA-256"};
    return titles;
}

std::vector<std::string> RunCells(const RunRecord &record)
{
    return {std::to_string(record.id),
            ShortTime(record.started),
            ShortTime(record.ended),
            record.host,
            record.operatorName,
            record.serial,
            record.FileName(),
            record.pass > 0 ? std::to_string(record.pass) : std::string(),
            VerdictTitle(record.verdict),
            std::to_string(record.Errors()),
            record.fileSha256};
}

std::string VerdictTitle(const std::string &verdict)
{
    if (verdict == "passed")
        return "годна";
    if (verdict == "errors")
        return "ошибки";
    if (verdict == "interrupted")
        return "прерван";
    if (verdict == "failed")
        return "сбой";
    if (verdict == "not-run")
        return "не выполнен";
    return verdict;
}

std::string CsvOfRuns(const std::vector<RunRecord> &runs)
{
    std::string csv = CsvLine(RunColumnTitles());
    for (const RunRecord &record : runs) {
        std::vector<std::string> cells = RunCells(record);
        // Full times in the file: a spreadsheet reads them exactly.
        cells[1] = record.started;
        cells[2] = record.ended;
        csv += CsvLine(cells);
    }
    return csv;
}

std::string PercentText(double percent)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", percent);
    return text;
}

std::string CsvOfYield(const std::vector<YieldRow> &rows)
{
    std::string csv = CsvLine({"группа", "тест", "первых прогонов", "годных", "выход, %"});
    for (const YieldRow &row : rows)
        csv += CsvLine({row.key, row.name, std::to_string(row.runs), std::to_string(row.passed),
                        PercentText(row.Percent())});
    return csv;
}

std::string TextTable(const std::vector<std::string> &titles,
                      const std::vector<std::vector<std::string>> &rows)
{
    std::vector<std::size_t> widths(titles.size(), 0);
    const auto measure = [&widths](const std::vector<std::string> &cells) {
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], Width(cells[i]));
    };
    measure(titles);
    for (const auto &row : rows)
        measure(row);
    const auto line = [&widths](const std::vector<std::string> &cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
            if (i > 0)
                text += "  ";
            text += cells[i];
            if (i + 1 < cells.size())
                text += std::string(widths[i] - Width(cells[i]), ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text + "\n";
    };
    std::string text = line(titles);
    for (const auto &row : rows)
        text += line(row);
    return text;
}

} // namespace qv::results
