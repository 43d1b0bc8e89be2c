#pragma once

// The diagnosis of a run: from the wrong bits of the output words to the
// contacts at fault. Each single fault (faults.h) that could explain a
// wrong bit is checked against every read of its contacts; it is kept only
// when it predicts every one of them (no wrong bit that read right, no
// right bit that read wrong). Kept faults that predict exactly the same
// reads are equivalents: the test cannot tell them apart, one of them
// stands for the group. The diagnosis is the smallest set of groups that
// explains every wrong bit it can (one fault before two); wrong bits that
// no kept fault explains are listed as unexplained. Over a continuous run
// each hypothesis carries the failing passes in which its bits read wrong:
// fewer than the passes of the run make it intermittent.
//
// A plain value: computed once at the end of a run (or on demand), stored
// and sent as it is; its JSON form is DiagnosisJson (diagnosistext.h).

#include "model/diagnosis/faults.h"
#include "model/diagnosis/observations.h"

#include <cstdint>
#include <vector>

namespace qv::diagnosis {

// One wrong bit: a bit of an output word that read wrong in a cycle.
struct WrongBit
{
    int test = 0;       // 0-based
    int word = 0;       // output word Id
    int cycle = 0;      // 0-based
    int tact = 0;       // 1-based tact that reads the word; 0 when none of the cycle does
    int bit = 0;        // 0 = lowest
    int contact = 0;    // 1..192
    bool level = false; // the wire level read
    friend bool operator==(const WrongBit &, const WrongBit &) = default;
};

struct Hypothesis
{
    Fault fault;
    std::vector<Fault> equivalents; // indistinguishable from it, in preference order
    std::vector<WrongBit> bits;     // the wrong bits it explains
    std::vector<int> passes;        // 1-based failing passes in which they read wrong

    int Explains() const { return static_cast<int>(bits.size()); }
    friend bool operator==(const Hypothesis &, const Hypothesis &) = default;
};

struct Diagnosis
{
    std::vector<Hypothesis> hypotheses; // most wrong bits first
    std::vector<WrongBit> unexplained;
    int passes = 0; // passes of the run the diagnosis looked at (0 = not known)

    bool Empty() const { return hypotheses.empty() && unexplained.empty(); }
    // Whether a hypothesis acts only in some of the passes.
    bool Intermittent(const Hypothesis &h) const
    {
        return passes > 1 && !h.passes.empty() && static_cast<int>(h.passes.size()) < passes;
    }
    friend bool operator==(const Diagnosis &, const Diagnosis &) = default;
};

// A read that went wrong in a pass: the value as the word keeps it (the
// inverse code not undone).
struct WrongRead
{
    int test = 0;
    int word = 0;
    int cycle = 0; // 0-based
    std::int32_t value = 0;
    friend bool operator==(const WrongRead &, const WrongRead &) = default;
    friend auto operator<=>(const WrongRead &, const WrongRead &) = default;
};

// Failing passes that read the same wrong values.
struct PassPattern
{
    std::vector<WrongRead> reads; // sorted
    std::vector<int> passes;      // 1-based, ascending
};

struct RunPasses
{
    int passes = 0;                   // passes of the run
    std::vector<PassPattern> failing; // in order of their first pass
};

// The diagnosis of the reads. `partners`: the contacts (1..192) a short or
// a crossed wire may join a read contact to (those the tests drive or
// read). `run`: the failing passes; their wrong values take the place of
// right ones in `reads` (the last pass of an intermittent board may have
// read right); with none, the reads alone are looked at as one pass.
Diagnosis Diagnose(std::vector<ReadObservation> reads, const std::vector<int> &partners,
                   const RunPasses &run = {});

// Which reads each contact takes part in, to check many faults against the
// same reads. Keeps a reference to the reads: they must outlive it.
class ReadIndex
{
public:
    struct Occurrence
    {
        int read = 0; // index into the reads
        int bit = 0;
    };

    explicit ReadIndex(const std::vector<ReadObservation> &reads);

    const std::vector<ReadObservation> &Reads() const { return m_reads; }
    const std::vector<Occurrence> &Of(int contact) const;
    // Whether the fault makes at least one read differ from what was read
    // (for the reads of a golden board, ReferenceReads: whether the test
    // detects the fault).
    bool Contradicts(const Fault &fault) const;

private:
    const std::vector<ReadObservation> &m_reads;
    std::vector<std::vector<Occurrence>> m_byContact; // index = contact
};

} // namespace qv::diagnosis
