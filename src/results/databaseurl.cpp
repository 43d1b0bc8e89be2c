#include "results/databaseurl.h"

#include "infra/paths.h"

#include <QUrl>
#include <QUrlQuery>

namespace qv::results {

namespace {

constexpr std::string_view kSqliteScheme = "sqlite:";

bool StartsWith(const std::string &text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::optional<DatabaseUrl> ParsePostgres(const std::string &text, std::string *problem)
{
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    if (!url.isValid()) {
        *problem = "адрес базы результатов записан неверно: " + text;
        return std::nullopt;
    }
    if (!url.password().isEmpty()) {
        *problem = "пароль в адресе базы результатов не допускается: укажите его в ~/.pgpass";
        return std::nullopt;
    }
    DatabaseUrl database;
    database.kind = DatabaseUrl::Kind::Postgres;
    database.user = url.userName().toStdString();
    database.host = url.host().toStdString();
    database.port = url.port(0);
    QString path = url.path();
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    database.database = path.toStdString();
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        database.host =
            query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded).toStdString();
    if (database.database.empty() || database.database.find('/') != std::string::npos) {
        *problem =
            "в адресе базы результатов нет имени базы: postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА";
        return std::nullopt;
    }
    if (database.port < 0 || database.port > 65535) {
        *problem = "порт в адресе базы результатов вне диапазона 1..65535";
        return std::nullopt;
    }
    return database;
}

} // namespace

std::string DatabaseUrl::Text() const
{
    if (kind == Kind::Sqlite)
        return file.string();
    std::string text = "postgresql://";
    if (!user.empty()) {
        text += user;
        text += '@';
    }
    const bool socket = !host.empty() && host.front() == '/';
    if (!socket)
        text += host;
    if (port > 0) {
        text += ':';
        text.append(std::to_string(port));
    }
    text += '/';
    text += database;
    if (socket) {
        text += "?host=";
        text += host;
    }
    return text;
}

std::optional<DatabaseUrl> ParseDatabaseUrl(const std::string &text, std::string *problem)
{
    if (text.empty()) {
        *problem = "не задана база результатов";
        return std::nullopt;
    }
    if (StartsWith(text, "postgresql://") || StartsWith(text, "postgres://"))
        return ParsePostgres(text, problem);
    std::string file = text;
    if (StartsWith(file, kSqliteScheme)) {
        file.erase(0, kSqliteScheme.size());
        if (StartsWith(file, "//"))
            file.erase(0, 2);
    } else if (file.find("://") != std::string::npos) {
        *problem = "неизвестный вид базы результатов: " + text +
                   " (нужен файл SQLite или postgresql://...)";
        return std::nullopt;
    }
    if (file.empty()) {
        *problem = "не задан файл базы результатов";
        return std::nullopt;
    }
    DatabaseUrl database;
    database.file = std::filesystem::u8path(file);
    return database;
}

DatabaseUrl DefaultDatabase()
{
    DatabaseUrl database;
    database.file = AppDataDir() / "results.sqlite";
    return database;
}

} // namespace qv::results
