#pragma once

// One run of a device program on the simulated board. The run is a script of
// steps made from the program: tacts (each taking the board's tact time)
// and the frames the unit starts on the way (M-function progress, memory
// error and function error questions, programming progress), each of which
// waits for the host's reply. The results are computed from the board when
// the run is made; a stop (QORV_CANCEL, a "no" to a question, a cancelled
// programming) sends them with code 13 and the position reached. Lives on
// the unit's thread; the unit state holds the active run.

#include "board.h"
#include "program.h"
#include "sessionfiles.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qv::sim {

class Session;

// Bytes the range of an F-function moves: one item per address step.
std::uint64_t RangeBytes(const ProgF &f);

// Results of one pass, per test: the bytes after the two counters.
struct PassResult
{
    std::vector<std::vector<std::uint8_t>> bodies;
    int errors = 0; // wrong words and failed functions of the pass
    // Where an F-function went wrong: the address reached and, for a
    // compare that found a difference, the file's value and the board's.
    struct FFailure
    {
        std::uint32_t address = 0;
        bool compared = false;
        std::uint16_t expected = 0;
        std::uint16_t read = 0;
    };
    // By (test position, F-function number).
    std::map<std::pair<int, int>, FFailure> failedF;
    // Files the board produced: name (Windows-1251) and bytes.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
};

// The board's answer to a program, without the steps in between. Files the
// host sent are looked up by name in `sent` (null = none sent). pass: the
// pass of the run, from 1 (the board's StuckEvery counts them).
PassResult EvaluateProgram(const Program &program, const Board &board,
                           const std::map<std::string, FileBytes> &sent, int pass = 1);

// 0-based contact of a channel code on a unit of that type; -1 for none.
int ContactOfChannel(std::uint16_t channel, int unitType);

class BoardRun : public std::enable_shared_from_this<BoardRun>
{
public:
    BoardRun(Program program, const Board &board);

    // Starts the first pass (the QORV_DATA request is already acknowledged).
    void Start(Session &session);
    // QORV_CANCEL: stops at the current position and sends code 13.
    void Cancel(Session &session);
    // QORV_RESET: the run ends where it is, without results.
    void Abandon() { m_finished = true; }
    // QORV_RETRY: the next pass of a continuous run that sends every pass.
    void Retry(Session &session);
    bool Finished() const { return m_finished; }
    // Whether the run belongs to that session (a run whose host went away
    // never finishes and must not keep the unit busy).
    bool OwnedBy(const Session &session) const;

private:
    enum class StepKind { Tact, Ask, Info, Progress };
    struct Step
    {
        StepKind kind = StepKind::Tact;
        int test = 0;   // position in the program's test list
        int cycle = 0;  // 0-based
        int column = 0; // 0-based
        std::vector<std::uint8_t> payload;
        bool trigger = false; // the oscilloscope probe is triggered here
    };

    void BuildSteps();
    void Continue(Session &session);
    void SendQuestion(Session &session, const Step &step);
    void TriggerScope(const Step &step) const;
    void EndPass(Session &session);
    void Stop(Session &session);
    void SendResults(Session &session, int code, bool complete);
    void StoreFiles(Session &session);
    bool RunCurrent(const std::weak_ptr<BoardRun> &self) const;

    Program m_program;
    const Board &m_board;
    std::weak_ptr<Session> m_owner;
    PassResult m_result;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    double m_pendingMicros = 0;
    bool m_finished = false;
    bool m_awaitingRetry = false;
    int m_generation = 0; // steps of an earlier pass ignore their timers
    int m_pass = 0;       // passes started in this run
};

} // namespace qv::sim
