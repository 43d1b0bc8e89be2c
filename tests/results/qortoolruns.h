#pragma once

// Test support for the results tests that drive qortool: runs of the demo
// board recorded into a database, and the history read back as JSON.

#include "support/qt/demoboardcopy.h"
#include "support/qt/toolrun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

namespace qv::testing {

inline ToolRun
Qortool(const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 120000)
{
    ToolOptions options;
    options.environment = environment;
    options.timeoutMs = timeoutMs;
    return RunTool(QStringLiteral(QV_QORTOOL_PATH), arguments, options);
}

// The runs `qortool history --format json` lists, newest first.
inline QJsonArray History(const QString &db, QStringList filters = {})
{
    const ToolRun run = Qortool(QStringList{"history", "--db", db, "--format", "json"} + filters);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
    return json.array();
}

inline std::size_t Occurrences(const std::string &text, const std::string &part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

inline constexpr const char *kOutageText = "база результатов недоступна";
inline constexpr const char *kStuckBoard = "[Board]\nTactTime=0\nStuckHigh=1\n";
inline constexpr const char *kFastBoard = "[Board]\nTactTime=0\n";
// A few milliseconds a pass: a continuous run lasts while a test looks on.
inline constexpr const char *kPacedBoard = "[Board]\nTactTime=300\n";

} // namespace qv::testing
