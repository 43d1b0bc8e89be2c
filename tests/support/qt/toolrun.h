#pragma once

// Test support: runs a command-line tool and collects its exit status and
// output.

#include <QProcess>
#include <QStringList>
#include <string>

namespace qv::testing {

struct ToolRun
{
    int exitCode = -1; // -1: it did not finish within the time-out
    std::string out;
    std::string err;
};

inline ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace qv::testing
