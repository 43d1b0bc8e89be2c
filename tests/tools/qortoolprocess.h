#pragma once

// The qortool of this build run as an operator's script runs it, and the
// small readers the command-line tests check its output with.

#include "support/qt/toolrun.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qv::testing {

// Runs qortool in workingDir (the test's own when empty). A run that has not
// ended within the time-out is killed and gives exit code -1; one that
// crashed gives -2.
inline ToolRun Qortool(const QStringList &arguments, const QString &workingDir = {},
                       int timeoutMs = 30000)
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(QV_QORTOOL_PATH), arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

inline std::string ReadText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

} // namespace qv::testing
