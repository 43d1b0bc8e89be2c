#pragma once

// One test of a test file: the MAIN fields, the run and debug state, and
// (added with their models) the tact array, the word lists and the function
// lists. The document owns every test through SQor::Tests.

#include "model/functions/funcf.h"
#include "model/functions/funcm.h"
#include "model/functions/funcs.h"
#include "model/functions/funcv.h"
#include "model/functions/prog.h"
#include "model/words/timearray.h"
#include "model/words/words.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The unit's image carries the cycle count, the start tact, the tact count
// and the line count in one byte each.
inline constexpr std::int32_t kMaxImageCount = 255;

struct STest
{
    TTimeArray Tacts; // the tact array (diagram)

    std::int32_t Cycles = 0;    // key CYCLE: number of cycles the test runs
    std::int32_t StartTact = 0; // key START: tact at which every repeated cycle starts
    std::string Name;           // key NAME

    TWord IWords{'i'}; // input words
    TOWord OWords;     // output words
    TGWord GWords;     // generator words

    // Function lists, up to 16 functions of each kind (99 V-functions).
    TFuncF FFuncs;
    TFuncM MFuncs;
    TProg PFuncs;
    TFuncV VFuncs;
    TFuncS SFuncs;

    std::int32_t RunCounter1 = 0; // cycle reached by the last run
    std::int32_t RunCounter2 = 0; // tact reached by the last run, 0-based
    std::int32_t DebugFirst = 0;  // first tact of the debug range, 0-based
    std::int32_t DebugLast = 0;   // last tact of the debug range, 0-based
    std::int32_t ActiveCycle = 0; // cycle shown and used for per-cycle data, 0-based

    // Probe entries per cycle; empty until a probe key is read or probe
    // mode is entered, then one array per cycle (entry 0 the default
    // "Зонд" once the cycle has any).
    std::vector<std::vector<SZond>> Probes;
    std::vector<std::int32_t> ProbeFlags; // per-cycle probe state

    // Why the test cannot be compiled, one text per value found unfit at
    // load ("раздел [IWORDS1], ключ DATA: ..."); empty for a sound test. The
    // test is shown all the same; a run of it is refused with these texts.
    std::vector<std::string> LoadProblems;
    int ProbeCount(int cycle) const
    {
        return cycle >= 0 && static_cast<std::size_t>(cycle) < Probes.size()
                   ? static_cast<int>(Probes[static_cast<std::size_t>(cycle)].size())
                   : 0;
    }
    // Creates the per-cycle arrays (no entries) when they do not exist yet.
    void EnsureProbeArrays();
};

} // namespace qv
