#pragma once

// Test support: a private PostgreSQL server of the test's own, made with
// initdb in a temporary folder and started with pg_ctl on a free loopback
// port, trust authentication for its superuser. PostgreSQL refuses to run
// as root: as root the server's programs run as the "postgres" user of the
// Debian package, which then owns the folder. A missing PostgreSQL is a
// failure of the tests that need it (Problem() says why), never a skip.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::testing {

class PgServer
{
public:
    static constexpr const char *kSuperuser = "quorvik";

    PgServer()
    {
        m_bin = FindBin();
        if (m_bin.empty()) {
            m_problem = "PostgreSQL не установлен (нет /usr/lib/postgresql/*/bin/initdb)";
            return;
        }
        m_dir.setAutoRemove(true);
        m_data = m_dir.path().toStdString() + "/data";
        if (::geteuid() == 0) {
            const passwd *user = ::getpwnam("postgres");
            if (user == nullptr) {
                m_problem = "нет пользователя postgres для сервера под root";
                return;
            }
            m_uid = user->pw_uid;
            m_gid = user->pw_gid;
            ::chmod(m_dir.path().toLocal8Bit().constData(), 0755);
            if (::chown(m_dir.path().toLocal8Bit().constData(), m_uid, m_gid) != 0) {
                m_problem = "не удалось отдать папку сервера пользователю postgres";
                return;
            }
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        if (!Tool("initdb", {"-D", Q(m_data), "-U", kSuperuser, "--auth=trust", "-E", "UTF8",
                             "--no-sync", "--locale=C"})) {
            m_problem = "initdb: " + m_output;
            return;
        }
        if (!Start()) {
            m_problem = "pg_ctl start: " + m_output;
            return;
        }
        m_ready = true;
    }

    ~PgServer()
    {
        if (m_running)
            Tool("pg_ctl", {"-D", Q(m_data), "-m", "immediate", "-w", "stop"});
    }

    bool Ready() const { return m_ready; }
    const std::string &Problem() const { return m_problem; }
    int Port() const { return m_port; }

    // The URL of a database on this server for the superuser, or for `user`.
    std::string Url(const std::string &database, const std::string &user = kSuperuser) const
    {
        return "postgresql://" + user + "@127.0.0.1:" + std::to_string(m_port) + "/" + database;
    }

    bool Start()
    {
        m_running =
            Tool("pg_ctl",
                 {"-D", Q(m_data), "-l", Q(m_data + "/../server.log"), "-w", "-t", "30", "-o",
                  QString::fromStdString("-p " + std::to_string(m_port) +
                                         " -c listen_addresses=127.0.0.1 -c fsync=off"
                                         " -c unix_socket_directories='' -c max_connections=40")},
                 "start");
        return m_running;
    }
    // Stops the server at once, as a crash or a pulled cable would.
    bool Stop()
    {
        const bool stopped = Tool("pg_ctl", {"-D", Q(m_data), "-m", "immediate", "-w"}, "stop");
        if (stopped)
            m_running = false;
        return stopped;
    }

    // Runs SQL as the superuser in a database; false with Output() on failure.
    bool Sql(const std::string &database, const std::string &sql)
    {
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                    QString::number(m_port), "-U", kSuperuser, "-d", Q(database), "-c", Q(sql)});
        return Finished(psql);
    }
    // The first value of a query's result, as text.
    std::string Value(const std::string &database, const std::string &sql)
    {
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   {"-X", "-q", "-t", "-A", "-h", "127.0.0.1", "-p", QString::number(m_port), "-U",
                    kSuperuser, "-d", Q(database), "-c", Q(sql)});
        if (!Finished(psql))
            return "error: " + m_output;
        return m_output.substr(0, m_output.find('\n'));
    }
    bool CreateDatabase(const std::string &name)
    {
        return Sql("postgres", "CREATE DATABASE " + name);
    }
    // Puts a line in front of pg_hba.conf and reloads the server.
    bool AddHbaLine(const std::string &line)
    {
        const std::string path = m_data + "/pg_hba.conf";
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray old = file.readAll();
        file.close();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(QByteArray::fromStdString(line + "\n") + old);
        file.close();
        return Tool("pg_ctl", {"-D", Q(m_data)}, "reload");
    }
    const std::string &Output() const { return m_output; }

private:
    static QString Q(const std::string &text) { return QString::fromStdString(text); }

    static std::string FindBin()
    {
        std::string best;
        std::error_code ec;
        for (const auto &entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec))
            if (std::filesystem::exists(entry.path() / "bin" / "initdb") &&
                entry.path().string() > best)
                best = entry.path().string();
        return best.empty() ? best : best + "/bin";
    }

    bool Finished(QProcess &process)
    {
        const bool done = process.waitForFinished(60000);
        m_output = process.readAllStandardOutput().toStdString() +
                   process.readAllStandardError().toStdString();
        return done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    // Runs one of the server's programs (as postgres when we are root);
    // `verb` goes after the options (pg_ctl's action).
    bool Tool(const std::string &name, QStringList arguments, const QString &verb = {})
    {
        if (!verb.isEmpty())
            arguments << verb;
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        const QString program = Q(m_bin + "/" + name);
        if (::geteuid() == 0) {
            arguments.prepend(program);
            arguments.prepend(QStringLiteral("--"));
            arguments.prepend(QStringLiteral("postgres"));
            arguments.prepend(QStringLiteral("-u"));
            process.start(QStringLiteral("runuser"), arguments);
        } else {
            process.start(program, arguments);
        }
        return Finished(process);
    }

    QTemporaryDir m_dir;
    std::string m_bin;
    std::string m_data;
    std::string m_problem;
    std::string m_output;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    int m_port = 0;
    bool m_ready = false;
    bool m_running = false;
};

} // namespace qv::testing
