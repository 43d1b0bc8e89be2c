#pragma once

// The qortool of this build run as an operator's script runs it, and the
// small readers the command-line tests check its output with.

#include "support/qt/toolrun.h"

#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qv::testing {

// Runs qortool in workingDir (the test's own when empty).
inline ToolRun Qortool(const QStringList &arguments, const QString &workingDir = {},
                       int timeoutMs = 30000)
{
    ToolOptions options;
    options.workingDir = workingDir;
    options.timeoutMs = timeoutMs;
    return RunTool(QStringLiteral(QV_QORTOOL_PATH), arguments, options);
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
