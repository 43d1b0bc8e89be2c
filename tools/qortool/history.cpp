// qortool history: the runs recorded in the results database, filtered,
// as a table, CSV or JSON; with --yield the first-pass yield per day, test
// file or test.

#include "args.h"
#include "commands.h"
#include "results/resultsdb.h"
#include "results/runtable.h"
#include "resultsoptions.h"
#include "unitcommand.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <iostream>
#include <limits>

namespace qortool {

namespace {

enum class Format { Table, Csv, Json };

// Rows read from the database at a time.
constexpr int kPage = 1000;

bool ReadDay(const Command &command, const ParsedArgs &parsed, const std::string &option,
             std::string &day)
{
    const auto text = parsed.Value(option);
    if (!text)
        return true;
    const QDate date = QDate::fromString(QString::fromStdString(*text), Qt::ISODate);
    if (!date.isValid() || text->size() != 10) {
        UsageError(command, option + ": дата в виде ГГГГ-ММ-ДД, а не \"" + *text + "\"");
        return false;
    }
    day = *text;
    return true;
}

std::optional<qv::results::RunFilter> ReadFilter(const Command &command, const ParsedArgs &parsed)
{
    qv::results::RunFilter filter;
    if (!ReadDay(command, parsed, "--since", filter.since) ||
        !ReadDay(command, parsed, "--until", filter.until))
        return std::nullopt;
    filter.serial = parsed.Value("--serial").value_or("");
    filter.file = parsed.Value("--file").value_or("");
    filter.operatorName = parsed.Value("--operator").value_or("");
    filter.host = parsed.Value("--host").value_or("");
    filter.verdict = parsed.Value("--verdict").value_or("");
    if (!filter.verdict.empty() && !qv::results::IsVerdictName(filter.verdict)) {
        UsageError(command, "--verdict: passed, errors, interrupted, failed или not-run");
        return std::nullopt;
    }
    return filter;
}

std::optional<Format> ReadFormat(const Command &command, const ParsedArgs &parsed)
{
    const std::string text = parsed.Value("--format").value_or("table");
    if (text == "table")
        return Format::Table;
    if (text == "csv")
        return Format::Csv;
    if (text == "json")
        return Format::Json;
    UsageError(command, "--format: table, csv или json");
    return std::nullopt;
}

int PrintYield(const Command &command, const ParsedArgs &parsed, qv::results::ResultsDatabase &db,
               const qv::results::RunFilter &filter, Format format)
{
    const std::string by = parsed.Value("--by").value_or("day");
    qv::results::YieldBy group = qv::results::YieldBy::Day;
    if (by == "file")
        group = qv::results::YieldBy::File;
    else if (by == "test")
        group = qv::results::YieldBy::Test;
    else if (by != "day")
        return UsageError(command, "--by: day, file или test");
    const auto rows = db.Yield(filter, group);
    if (!db.LastError().empty())
        return Refused(command.name, db.LastError());
    if (format == Format::Csv) {
        std::cout << qv::results::CsvOfYield(rows);
    } else if (format == Format::Json) {
        QJsonArray list;
        for (const auto &row : rows)
            list.append(QJsonObject{{"key", QString::fromStdString(row.key)},
                                    {"name", QString::fromStdString(row.name)},
                                    {"runs", static_cast<qint64>(row.runs)},
                                    {"passed", static_cast<qint64>(row.passed)},
                                    {"yield", row.Percent()}});
        std::cout << QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
    } else {
        std::vector<std::vector<std::string>> cells;
        for (const auto &row : rows)
            cells.push_back({row.key, row.name, std::to_string(row.runs),
                             std::to_string(row.passed), qv::results::PercentText(row.Percent())});
        std::cout << qv::results::TextTable(
            {"группа", "тест", "первых прогонов", "годных", "выход, %"}, cells);
    }
    return ExitOk;
}

int PrintRuns(const Command &command, qv::results::ResultsDatabase &db,
              const qv::results::RunFilter &filter, Format format, int limit)
{
    // Newest first, page by page: a large history never sits in memory twice.
    std::vector<qv::results::RunRecord> runs;
    std::int64_t before = 0;
    while (static_cast<int>(runs.size()) < limit) {
        const int want = std::min(kPage, limit - static_cast<int>(runs.size()));
        auto page = db.Runs(filter, want, before, format == Format::Json);
        if (!db.LastError().empty())
            return Refused(command.name, db.LastError());
        if (page.empty())
            break;
        before = page.back().id;
        const bool last = static_cast<int>(page.size()) < want;
        runs.insert(runs.end(), std::make_move_iterator(page.begin()),
                    std::make_move_iterator(page.end()));
        if (last)
            break;
    }
    switch (format) {
    case Format::Csv:
        std::cout << qv::results::CsvOfRuns(runs);
        break;
    case Format::Json: {
        QJsonArray list;
        for (const auto &record : runs)
            list.append(qv::results::ToJson(record));
        std::cout << QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
        break;
    }
    case Format::Table: {
        std::vector<std::vector<std::string>> cells;
        for (const auto &record : runs) {
            auto row = qv::results::RunCells(record);
            row.pop_back(); // the digest is for scripts, too wide for a console
            cells.push_back(std::move(row));
        }
        auto titles = qv::results::RunColumnTitles();
        titles.pop_back();
        std::cout << qv::results::TextTable(titles, cells);
        break;
    }
    }
    return ExitOk;
}

} // namespace

int RunHistory(std::span<const std::string> args)
{
    const Command &command = CommandNamed("history");
    const auto parsed =
        ParseCommandArgs(command, args,
                         {"--db", "--since", "--until", "--serial", "--file", "--verdict",
                          "--operator", "--host", "--format", "--by", "--limit"},
                         {"--yield"}, 0, "позиционные аргументы не нужны");
    if (!parsed)
        return ExitUsage;
    const auto url = DatabaseOption(command, *parsed);
    const auto filter = ReadFilter(command, *parsed);
    const auto format = ReadFormat(command, *parsed);
    if (!url || !filter || !format)
        return ExitUsage;
    if (parsed->Value("--by") && !parsed->Has("--yield"))
        return UsageError(command, "--by только вместе с --yield");
    int limit = std::numeric_limits<int>::max();
    if (const auto text = parsed->Value("--limit")) {
        const auto number = ParseInt(*text);
        if (!number || *number < 1)
            return UsageError(command, "--limit: число записей от 1, а не \"" + *text + "\"");
        limit = *number;
    }

    const auto app = EnsureCoreApplication();
    std::string problem;
    auto db = qv::results::ResultsDatabase::Open(*url, &problem);
    if (!db)
        return Refused(command.name, "база результатов " + url->Text() + " недоступна: " + problem);
    if (parsed->Has("--yield"))
        return PrintYield(command, *parsed, *db, *filter, *format);
    return PrintRuns(command, *db, *filter, *format, limit);
}

} // namespace qortool
