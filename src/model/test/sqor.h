#pragma once

// The test file the document owns and the test-file container fills: the
// fields of its general block, its data buses and its tests.

#include "model/core/records.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qv {

struct SQor
{
    std::string FileName; // full path of the test file
    TTyreAdr Tyres;       // the data buses
    double FCreate = 0;   // day count of the creation; 0 = unknown
    double FModified = 0; // day count of the last save; 0 = unknown
    std::string FVersion;
    std::string FAuthor;
    std::string FTitle;
    std::string FLogError;  // the test editor's error log; lines joined by CR LF
    std::int32_t NTest = 0; // 0..kMaxTests
    std::int32_t Sys = 16;  // number base of word values: 8 or 16 (0 when the file says nothing)
    // Tests in file order; entries at and after NTest are null.
    std::array<std::unique_ptr<STest>, kMaxTests> Tests;
};

} // namespace qv
