#pragma once

// One test of a test file: the MAIN fields, the run and debug state, and
// (added with their models) the tact array, the word lists and the function
// lists. The document owns every test through SQor::Tests.

#include <cstdint>
#include <string>

namespace qv {

struct STest
{
    // Tact array of the test (the diagram): added with the tact model.
    // std::unique_ptr<TTimeArray> Tacts;

    std::int32_t Cycles = 0;    // key CYCLE: number of cycles the test runs
    std::int32_t StartTact = 0; // key START: tact at which every repeated cycle starts
    std::string Name;           // key NAME

    // Word lists (IWords, OWords, GWords) and function lists (FFuncs,
    // MFuncs, PFuncs, VFuncs, SFuncs): added with the word and function
    // models.

    std::int32_t RunCounter1 = 0; // cycle reached by the last run
    std::int32_t RunCounter2 = 0; // tact reached by the last run, 0-based
    std::int32_t DebugFirst = 0;  // first tact of the debug range, 0-based
    std::int32_t DebugLast = 0;   // last tact of the debug range, 0-based
    std::int32_t ActiveCycle = 0; // cycle shown and used for per-cycle data, 0-based

    // Per-cycle probe arrays (ProbeCounts, ProbeFlags, Probes): added with
    // the tact model.
};

} // namespace qv
