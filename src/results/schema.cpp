#include "results/schema.h"

#include "results/failureset.h"

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

// What a test read wrong is kept once per distinct content ("failures",
// with its words and contacts), and each test row refers to it: a board
// that fails the same way pass after pass adds one reference a pass. The
// tables of version 2 become views of the same name and columns, so that
// every reader (and every SQL a person wrote for version 2) reads as before.
// The rows of version 2 move over as a failure each, named by their run
// and test (a name no content digest takes).
std::vector<std::string> Version3(Dialect dialect)
{
    const std::string oldKey = "'v2:' || t.run_id || ':' || t.number";
    return {
        "CREATE TABLE failures (" + IdColumn(dialect) +
            ", digest TEXT NOT NULL UNIQUE"
            ", diagnosis TEXT"
            ", unexplained INTEGER"
            ", pass_template INTEGER NOT NULL)",
        "CREATE TABLE failure_words ("
        "failure_id BIGINT NOT NULL REFERENCES failures (id)"
        ", word INTEGER NOT NULL"
        ", name TEXT NOT NULL"
        ", cycle INTEGER NOT NULL"
        ", reference_value INTEGER"
        ", read_value INTEGER)",
        "CREATE INDEX failure_words_failure ON failure_words (failure_id)",
        "CREATE TABLE failure_contacts ("
        "failure_id BIGINT NOT NULL REFERENCES failures (id)"
        ", contact INTEGER NOT NULL"
        ", name TEXT NOT NULL"
        ", word INTEGER NOT NULL"
        ", bit INTEGER NOT NULL)",
        "CREATE INDEX failure_contacts_failure ON failure_contacts (failure_id)",
        "ALTER TABLE run_tests RENAME TO run_test_rows",
        "ALTER TABLE run_test_rows ADD COLUMN failure_id BIGINT REFERENCES failures (id)",
        "INSERT INTO failures (digest, diagnosis, unexplained, pass_template) SELECT " + oldKey +
            ", t.diagnosis, t.unexplained, 0 FROM run_test_rows t"
            " WHERE t.diagnosis IS NOT NULL OR t.unexplained IS NOT NULL"
            " OR EXISTS (SELECT 1 FROM wrong_words w WHERE w.run_id = t.run_id"
            " AND w.test = t.number)"
            " OR EXISTS (SELECT 1 FROM failing_contacts c WHERE c.run_id = t.run_id"
            " AND c.test = t.number)",
        "UPDATE run_test_rows SET failure_id = (SELECT f.id FROM failures f WHERE f.digest = "
        "'v2:' || run_test_rows.run_id || ':' || run_test_rows.number)",
        "INSERT INTO failure_words (failure_id, word, name, cycle, reference_value, read_value)"
        " SELECT t.failure_id, w.word, w.name, w.cycle, w.reference_value, w.read_value"
        " FROM wrong_words w JOIN run_test_rows t ON t.run_id = w.run_id AND t.number = w.test"
        " ORDER BY w.run_id, w.test, w.word, w.cycle",
        "INSERT INTO failure_contacts (failure_id, contact, name, word, bit)"
        " SELECT t.failure_id, c.contact, c.name, c.word, c.bit"
        " FROM failing_contacts c JOIN run_test_rows t ON t.run_id = c.run_id"
        " AND t.number = c.test ORDER BY c.run_id, c.test, c.contact",
        "DROP TABLE wrong_words",
        "DROP TABLE failing_contacts",
        "ALTER TABLE run_test_rows DROP COLUMN diagnosis",
        "ALTER TABLE run_test_rows DROP COLUMN unexplained",
        // The stored diagnosis of a pass gets the pass back (kPassMark).
        "CREATE VIEW run_tests AS SELECT t.run_id, t.number, t.name, t.verdict, t.errors"
        ", CASE WHEN f.pass_template = 1 THEN replace(f.diagnosis, '" +
            std::string(kPassMark) +
            "', '\"passes\": [' || r.pass || ']') ELSE f.diagnosis END AS diagnosis"
            ", f.unexplained, t.failure_id"
            " FROM run_test_rows t LEFT JOIN failures f ON f.id = t.failure_id"
            " LEFT JOIN runs r ON r.id = t.run_id",
        "CREATE VIEW wrong_words AS SELECT t.run_id, t.number AS test, w.word, w.name, w.cycle"
        ", w.reference_value, w.read_value"
        " FROM run_test_rows t JOIN failure_words w ON w.failure_id = t.failure_id",
        "CREATE VIEW failing_contacts AS SELECT t.run_id, t.number AS test, c.contact, c.name"
        ", c.word, c.bit"
        " FROM run_test_rows t JOIN failure_contacts c ON c.failure_id = t.failure_id",
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
    case 3:
        return Version3(dialect);
    default:
        return {};
    }
}

} // namespace qv::results
