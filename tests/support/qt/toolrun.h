#pragma once

// Test support: runs a command-line tool and collects its exit status and
// output.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace qv::testing {

struct ToolRun
{
    int exitCode = -1; // -1: it did not finish within the time-out
    std::string out;
    std::string err;
};

// How a tool is run: in the test's own folder and environment unless told.
struct ToolOptions
{
    QString workingDir;                             // empty: the test's own
    std::optional<QProcessEnvironment> environment; // nullopt: the test's own
    int timeoutMs = 30000;
};

// A run that has not ended within the time-out is killed and gives exit
// code -1; one that crashed gives -2 (its exit code means nothing then).
inline ToolRun RunTool(const QString &program, const QStringList &arguments,
                       const ToolOptions &options)
{
    QProcess process;
    if (!options.workingDir.isEmpty())
        process.setWorkingDirectory(options.workingDir);
    if (options.environment)
        process.setProcessEnvironment(*options.environment);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(options.timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

inline ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    ToolOptions options;
    options.timeoutMs = timeoutMs;
    return RunTool(program, arguments, options);
}

} // namespace qv::testing
