#pragma once

// Where the results go: a SQLite file, or a PostgreSQL database named as
// "postgresql://USER@HOST:PORT/DB" (user, host and port optional; a socket
// folder as "?host=/run/postgresql"). A URL never carries a password: it
// comes from ~/.pgpass or libpq's environment (PGPASSWORD, PGPASSFILE), so
// that no settings file holds one.

#include <filesystem>
#include <optional>
#include <string>

namespace qv::results {

struct DatabaseUrl
{
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    std::filesystem::path file; // SQLite
    std::string user;           // PostgreSQL; empty: libpq's default
    std::string host;           // empty: libpq's default (its socket)
    int port = 0;               // 0: libpq's default
    std::string database;

    // The text the URL was made of, as the operator reads it.
    std::string Text() const;
};

// nullopt with *problem set (Russian, for the operator) when the text is not
// a database this program can use. An empty text is refused too: the caller
// puts the default in its place.
std::optional<DatabaseUrl> ParseDatabaseUrl(const std::string &text, std::string *problem);

// The embedded default: "results.sqlite" in the program's data folder.
DatabaseUrl DefaultDatabase();

} // namespace qv::results
