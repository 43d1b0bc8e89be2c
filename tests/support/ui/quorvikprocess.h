#pragma once

// Test support: the quorvik program as a child process, offscreen, with
// its own files folder (the program keeps its settings, received files and
// unit lock beside itself, so each process runs a copy in a folder of its
// own) and an optional settings text.

#include "infra/encoding.h"
#include "support/common/tempdir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <string>

namespace qv::testing {

class QuorvikProcess
{
public:
    // settings: UTF-8 INI text for the copy's ".cfg"; empty: none.
    QuorvikProcess(const QStringList &arguments, const std::string &settings = {})
    {
        namespace fs = std::filesystem;
        const fs::path program = m_dir.Path() / "quorvik";
        fs::copy_file(QV_QUORVIK_PATH, program);
        // The helper programs beside it, as installed: the start-up check
        // finds them.
        for (const char *helper : {"quorvik-edit", "quorvik-selftest", "quorvik-splitbytes"}) {
            const fs::path built = fs::path(QV_QUORVIK_PATH).parent_path() / helper;
            if (fs::exists(built))
                fs::create_symlink(built, m_dir.Path() / helper);
        }
        if (!settings.empty())
            std::ofstream(m_dir.Path() / "quorvik.cfg", std::ios::binary) << Utf8ToCp1251(settings);
        const fs::path runtime = m_dir.Path() / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           QString::fromStdString(runtime.string()));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(QString::fromStdString(program.string()), arguments);
        m_process.waitForStarted(10000);
    }

    ~QuorvikProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QuorvikProcess(const QuorvikProcess &) = delete;
    QuorvikProcess &operator=(const QuorvikProcess &) = delete;

    bool Running() const { return m_process.state() == QProcess::Running; }
    std::string File(const std::string &name) const { return m_dir.File(name); }

private:
    TempDir m_dir;
    QProcess m_process;
};

} // namespace qv::testing
