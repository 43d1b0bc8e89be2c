#pragma once

// Test support: quorvik-unitsim as a child process listening on an ephemeral
// loopback port, with an optional board file. Needs a QCoreApplication.

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <string>

namespace qv::testing {

class UnitSimProcess
{
public:
    explicit UnitSimProcess(const std::string &boardText = {})
    {
        QStringList arguments{"--listen", "127.0.0.1:0"};
        if (!boardText.empty()) {
            const std::string path = m_dir.path().toStdString() + "/board.ini";
            std::ofstream(path, std::ios::binary) << boardText;
            arguments << "--board" << QString::fromStdString(path);
        }
        m_process.setProgram(QStringLiteral(QV_UNITSIM_PATH));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        QByteArray output;
        while (!output.contains('\n') && m_process.waitForReadyRead(5000))
            output += m_process.readAllStandardOutput();
        const auto at = output.indexOf("tcp://");
        if (at >= 0)
            m_address = output.mid(at, output.indexOf('\n', at) - at).trimmed().toStdString();
    }

    ~UnitSimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    UnitSimProcess(const UnitSimProcess &) = delete;
    UnitSimProcess &operator=(const UnitSimProcess &) = delete;

    // The simulator's process id (0 when it is not running).
    qint64 ProcessId() const { return m_process.processId(); }
    // "tcp://127.0.0.1:PORT", empty when the simulator did not start.
    const std::string &Address() const { return m_address; }
    bool ExitedCleanly()
    {
        m_process.terminate();
        return m_process.waitForFinished(3000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    std::string m_address;
};

} // namespace qv::testing
