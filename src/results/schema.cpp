#include "results/schema.h"

namespace qv::results {

namespace {

std::string IdColumn(Dialect dialect)
{
    // SQLite never reuses an id of AUTOINCREMENT; PostgreSQL's sequence does not either.
    return dialect == Dialect::Sqlite ? "id INTEGER PRIMARY KEY AUTOINCREMENT"
                                      : "id BIGSERIAL PRIMARY KEY";
}

std::vector<std::string> Version1(Dialect dialect)
{
    return {
        "CREATE TABLE runs (" + IdColumn(dialect) +
            ", uid TEXT NOT NULL UNIQUE"
            ", session TEXT NOT NULL"
            ", pass INTEGER NOT NULL"
            ", started TEXT NOT NULL"
            ", ended TEXT NOT NULL"
            ", host TEXT NOT NULL"
            ", operator TEXT NOT NULL"
            ", serial TEXT NOT NULL"
            ", file_path TEXT NOT NULL"
            ", file_name TEXT NOT NULL"
            ", file_sha256 TEXT NOT NULL"
            ", unit_address TEXT NOT NULL"
            ", unit_type TEXT NOT NULL"
            ", unit_build TEXT NOT NULL"
            ", all_tests INTEGER NOT NULL"
            ", continuous INTEGER NOT NULL"
            ", debug INTEGER NOT NULL"
            ", passes INTEGER NOT NULL"
            ", verdict TEXT NOT NULL"
            ", verdict_text TEXT NOT NULL"
            ", errors INTEGER NOT NULL"
            ", test_count INTEGER NOT NULL"
            ", wrong_word_count INTEGER NOT NULL)",
        "CREATE INDEX runs_started ON runs (started)",
        "CREATE INDEX runs_serial ON runs (serial, started)",
        "CREATE INDEX runs_file ON runs (file_name, started)",
        "CREATE TABLE run_tests ("
        "run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE CASCADE"
        ", number INTEGER NOT NULL"
        ", name TEXT NOT NULL"
        ", verdict TEXT NOT NULL"
        ", errors INTEGER NOT NULL"
        ", PRIMARY KEY (run_id, number))",
        "CREATE TABLE wrong_words ("
        "run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE CASCADE"
        ", test INTEGER NOT NULL"
        ", word INTEGER NOT NULL"
        ", name TEXT NOT NULL"
        ", cycle INTEGER NOT NULL"
        ", reference_value INTEGER"
        ", read_value INTEGER)",
        "CREATE INDEX wrong_words_run ON wrong_words (run_id)",
    };
}

std::vector<std::string> Version2()
{
    return {
        "ALTER TABLE run_tests ADD COLUMN diagnosis TEXT",
        "ALTER TABLE run_tests ADD COLUMN unexplained INTEGER",
        "CREATE TABLE failing_contacts ("
        "run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE CASCADE"
        ", test INTEGER NOT NULL"
        ", contact INTEGER NOT NULL"
        ", name TEXT NOT NULL"
        ", word INTEGER NOT NULL"
        ", bit INTEGER NOT NULL)",
        "CREATE INDEX failing_contacts_run ON failing_contacts (run_id)",
        "CREATE INDEX failing_contacts_contact ON failing_contacts (contact)",
    };
}

} // namespace

std::vector<std::string> SchemaStep(int version, Dialect dialect)
{
    switch (version) {
    case 1:
        return Version1(dialect);
    case 2:
        return Version2();
    default:
        return {};
    }
}

} // namespace qv::results
