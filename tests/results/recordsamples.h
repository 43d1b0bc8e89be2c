#pragma once

// Records for the results tests: a run of a board with a wrong word on one
// contact, with the fields a bench fills.

#include "results/recordbuilder.h"
#include "results/runrecord.h"
#include "results/uid.h"

#include <string>

namespace qv::testing {

inline results::RunRecord SampleRun(const std::string &serial = "4711",
                                    const std::string &verdict = "errors",
                                    const std::string &started = "2026-12-01T08:00:00.000Z")
{
    results::RunRecord record;
    record.uid = results::NewUid();
    record.session = results::NewUid();
    record.started = started;
    record.ended = started;
    record.host = "bench-1";
    record.operatorName = "Иванов";
    record.serial = serial;
    record.filePath = "/boards/DEMO.QOR";
    record.fileSha256 = std::string(64, 'a');
    record.unitAddress = "sim";
    record.unitType = "arm";
    record.unitBuild = "build 1\r\nline 2";
    record.verdict = verdict;
    record.verdictText = verdict == "passed" ? "Тест завершен успешно" : "Тест завершен с ошибками";
    results::TestResult test;
    test.number = 1;
    test.name = "Шина данных";
    test.verdict = verdict == "passed" ? "passed" : "errors";
    if (test.verdict == "errors") {
        test.errors = 1;
        test.wrongWords.push_back({1, "Чтение данных", 2, 170, 171});
        test.contacts.push_back({17, "D0", 1, 0});
    }
    record.tests.push_back(test);
    results::TestResult called;
    called.number = 3;
    called.name = "Вызываемый";
    called.verdict = "passed";
    record.tests.push_back(called);
    return record;
}

} // namespace qv::testing
