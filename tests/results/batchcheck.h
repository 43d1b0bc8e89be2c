#pragma once

// A check both databases pass: batches of runs of two benches in turn,
// their text as awkward as people type it, read back exactly.

#include "recordsamples.h"
#include "results/resultsdb.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qv::testing {

// Runs of two benches interleaved in a batch (what the passes share
// changes from one run to the next), with quotes, backslashes, braces,
// commas, "NULL", line breaks and empty fields in their text; a second
// batch with a run stored before among new ones (a spool file whose
// removal was cut short). Each run reads back as written, once.
inline void ExpectAwkwardBatchesReadBackExactly(const results::DatabaseUrl &url)
{
    std::string problem;
    auto db = results::ResultsDatabase::Open(url, &problem);
    ASSERT_TRUE(db) << problem;
    const std::string sessions[] = {results::NewUid(), results::NewUid()};
    std::vector<results::RunRecord> batch;
    for (int i = 0; i < 6; ++i) {
        const bool second = i % 2 == 1;
        results::RunRecord run =
            SampleRun(second ? "SN \"7\" \\ {a,b}" : "NULL", i % 3 == 0 ? "passed" : "errors",
                      "2026-12-0" + std::to_string(i + 1) + "T08:00:00.000Z");
        run.session = sessions[second ? 1 : 0];
        run.host = second ? "стенд 'два'" : "bench-1";
        run.operatorName = second ? "" : "O'Brien, \"Jr\" \\n";
        run.filePath = second ? "/платы/{X}, копия.QOR" : "/boards/DEMO.QOR";
        run.unitBuild = second ? "NULL" : "build 1\r\nline 2";
        run.continuous = true;
        run.pass = i / 2 + 1;
        run.passes = run.pass;
        run.tests[0].name = second ? "Тест {1}, \"шина\" \\" : "Шина данных";
        batch.push_back(run);
    }
    ASSERT_TRUE(db->WriteBatch(batch, &problem)) << problem;
    const std::vector<results::RunRecord> again{batch[3], SampleRun("4712")};
    ASSERT_TRUE(db->WriteBatch(again, &problem)) << problem;

    std::vector<results::RunRecord> expected = batch;
    expected.push_back(again[1]);
    const auto stored = db->Runs({}, 100);
    ASSERT_EQ(stored.size(), expected.size());
    for (results::RunRecord &run : expected) {
        const auto found = std::find_if(stored.begin(), stored.end(),
                                        [&run](const auto &s) { return s.uid == run.uid; });
        ASSERT_NE(found, stored.end()) << run.uid;
        const auto back = db->Run(found->id);
        ASSERT_TRUE(back);
        run.id = found->id;
        EXPECT_EQ(*back, run) << run.serial << " " << run.host;
    }
}

} // namespace qv::testing
