#pragma once

// The layout of the results database, as steps from an empty database to
// the current version. Each step is applied once, in one transaction with
// the row that records it in "schema_version"; a program that finds an
// older database brings it up to date when it connects.
//
// Version 1: runs, run_tests, wrong_words.
// Version 2: the diagnosis of a test (run_tests.diagnosis and
//            run_tests.unexplained) and the failing contacts of each run.
// Version 3: what a test read wrong is kept once per distinct content
//            (failures, failure_words, failure_contacts); run_tests,
//            wrong_words and failing_contacts are views with the columns
//            of version 2 (the rows of tests are in run_test_rows).

#include <string>
#include <vector>

namespace qv::results {

enum class Dialect { Sqlite, Postgres };

inline constexpr int kSchemaVersion = 3;

// The statements of step `version` (1..kSchemaVersion) in that dialect.
std::vector<std::string> SchemaStep(int version, Dialect dialect);

} // namespace qv::results
