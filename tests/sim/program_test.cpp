#include "infra/unitcodes.h"
#include "sim/board.h"
#include "sim/boardrun.h"
#include "sim/program.h"
#include "simhost.h"

#include <gtest/gtest.h>

namespace qv::sim::testing {
namespace {

struct Image
{
    std::vector<std::uint8_t> bytes;
    Image &u8(std::uint32_t v)
    {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Image &u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Image &u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
};

// One 4-bit bus on contacts 1..4 of an MS-DOS unit; a test "-o-P-" with an
// output word expecting 9 and 6 over two cycles and a P-function.
Image SmallProgram(std::uint8_t flags = 0)
{
    Image i;
    i.u8(flags).u8(1).u8(4).u16(272).u16(273).u16(274).u16(275).u8(1);
    i.u8(0).u8(0).u8(2);    // test 1, start 0, 2 cycles
    i.u8(1).u16(280).u8(5); // one line, five columns
    i.u8(0).u8(0).u8('o').u8(1).u8(1).u8(1).u8('P').u8(1).u8(0).u8(0);
    i.u8(0);                                       // no input words
    i.u8(1).u8(1).u8(0).u8(0).u8(0).u16(9).u16(6); // o1 on bus 0
    i.u8(0).u8(0).u8(0).u8(0);                     // generators, G, F, M
    i.u8(1).u8(1).u8('i').u8(1).u16(0).u8(2).u8('i').u8(1).u16(0).u8(0x81);
    i.u8(0).u8(0).u8(0).u8(3).u8(0).u8(0).u16(1).u16(0).u8(2).u16(5).u16(10);
    i.u8(4).u8('p').u8('.').u8('d').u8('t'); // file "p.dt"
    i.u8(0);                                 // no V-function
    return i;
}

// A 4-bit bus and a test "-F" whose FW function spans 0..end.
Image FRangeProgram(std::uint32_t end)
{
    Image i;
    i.u8(0).u8(1).u8(4).u16(272).u16(273).u16(274).u16(275).u8(1);
    i.u8(0).u8(0).u8(1);    // test 1, start 0, 1 cycle
    i.u8(1).u16(280).u8(2); // one line, two columns
    i.u8(0).u8(0).u8('F').u8(1);
    i.u8(0).u8(0).u8(0).u8(0); // no input, output or generator words, no G-cycles
    i.u8(1).u8(1).u8('w').u8('i').u8(1).u16(0).u8(1).u16(0).u32(0).u32(end).u16(1).u8(1);
    i.u8(5).u8('d').u8('.').u8('d').u8('a').u8('t');
    i.u8(0).u8(0).u8(0); // no M-, P- or V-function
    return i;
}

TEST(ProgramReader, ReadsEverySectionOfAProgram)
{
    std::string why;
    const auto p = ReadProgram(SmallProgram().bytes, &why);
    ASSERT_TRUE(p) << why;
    ASSERT_EQ(p->buses.size(), 1u);
    EXPECT_EQ(p->buses[0], (std::vector<std::uint16_t>{272, 273, 274, 275}));
    ASSERT_EQ(p->tests.size(), 1u);
    const ProgTest &t = p->tests[0];
    EXPECT_EQ(t.cycles, 2);
    EXPECT_EQ(t.columns.size(), 5u);
    ASSERT_EQ(t.outputs.size(), 1u);
    EXPECT_EQ(t.outputs[0].refs, (std::vector<std::uint16_t>{9, 6}));
    ASSERT_EQ(t.pFuncs.size(), 1u);
    EXPECT_EQ(t.pFuncs[0].end, 3u);
    EXPECT_EQ(t.pFuncs[0].datRead, 0x81); // bit 7: inverse
    EXPECT_EQ(t.pFuncs[0].file, "p.dt");
    EXPECT_EQ(t.pFuncs[0].cycles, 5);
}

TEST(ProgramReader, RefusesEveryCutOfAProgramAndTrailingBytes)
{
    const auto bytes = SmallProgram().bytes;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        std::string why;
        EXPECT_FALSE(ReadProgram(std::span(bytes).first(n), &why)) << n;
        EXPECT_NE(why.find("обрывается"), std::string::npos) << n;
    }
    auto longer = bytes;
    longer.push_back(0);
    std::string why;
    EXPECT_FALSE(ReadProgram(longer, &why));
    EXPECT_NE(why.find("лишние байты"), std::string::npos);
}

TEST(BoardRun, AnFRangeLargerThanTheBoardsMemoryIsRefusedBeforeAnyBlockIsMade)
{
    std::string why;
    ASSERT_TRUE(ReadProgram(FRangeProgram(2130706447).bytes, &why)) << why;
    SimHost host(UnitFrom("[Unit]\nStoreLimit=1048576\n"));
    const Packet refused = host.Ask(QORV_DATA, FRangeProgram(2130706447).bytes);
    EXPECT_EQ(refused.kind, kError);
    EXPECT_EQ(refused.value, kErrNoMemory);
    EXPECT_NE(Text(refused).find("Диапазон F-функции 1 (2130706448 байт) не помещается"),
              std::string::npos)
        << Text(refused);
    EXPECT_EQ(host.Ask(QORV_DATA, FRangeProgram(15).bytes).kind, kAck);
}

TEST(BoardBehaviour, ReadsTheBoardSectionAndRefusesBadValues)
{
    std::string why;
    const auto board = ParseBoard("[Board]\nTactTime=0\nStuckLow=2,5\nStuckHigh=7\n"
                                  "MemoryFault=300\nDataSeed=4\nProgrammingFails=1\n"
                                  "ProbeContact=3\nProbeLevels=-_+\n",
                                  &why);
    ASSERT_TRUE(board) << why;
    EXPECT_EQ(board->behaviour.tactMicros, 0);
    EXPECT_EQ(board->behaviour.stuckLow, (std::set<int>{1, 4}));
    EXPECT_EQ(board->behaviour.stuckHigh, (std::set<int>{6}));
    EXPECT_EQ(board->behaviour.memoryFault, 300u);
    EXPECT_EQ(board->behaviour.dataSeed, 4u);
    EXPECT_TRUE(board->behaviour.programmingFails);
    EXPECT_EQ(board->behaviour.probeContact, 2);
    EXPECT_FALSE(ParseBoard("[Board]\nStuckLow=193\n", &why));
    EXPECT_FALSE(ParseBoard("[Board]\nProbeLevels=x\n", &why));
    EXPECT_FALSE(ParseBoard("[Board]\nColour=red\n", &why));
}

TEST(BoardRunResults, StuckContactsForceTheirBitsAndTheProbeReportsLevels)
{
    const auto program = ReadProgram(SmallProgram(FlagProbe).bytes, nullptr);
    ASSERT_TRUE(program);
    Board board = DefaultBoard();
    board.behaviour.stuckHigh = {1}; // contact 2: bit 1
    board.behaviour.probeLevels = "-_";
    const PassResult result = EvaluateProgram(*program, board, {});
    ASSERT_EQ(result.bodies.size(), 1u);
    const auto &b = result.bodies[0];
    // o1 reads 9 | 2 = 11 and 6 (bit 1 already set); P1: result 1, write
    // address, read address, write data, read data; five probe characters.
    const std::vector<std::uint8_t> want{11, 0, 6, 0, 1,   3,   0,   3,   0,
                                         0,  0, 0, 0, '-', '_', '-', '_', '-'};
    EXPECT_EQ(b, want);
    EXPECT_EQ(result.errors, 1);
    board.type = 0;
    EXPECT_EQ(ContactOfChannel(5, 0), 5);
    EXPECT_EQ(ContactOfChannel(404, 1), 100);
    EXPECT_EQ(ContactOfChannel(300, 1), 28);
    EXPECT_EQ(ContactOfChannel(380, 1), -1);
}

// Bus 0 on contacts 1..4 read by o1 (10 then 5), bus 1 on contacts 5..8
// driven by i1 (3 then 12), a control line on contact 9 that goes high
// before the read; columns: start, i1, line up, o1; two cycles.
Image WiringProgram()
{
    Image i;
    i.u8(0).u8(2);
    i.u8(4).u16(272).u16(273).u16(274).u16(275);
    i.u8(4).u16(276).u16(277).u16(278).u16(279);
    i.u8(1).u8(0).u8(0).u8(2);
    i.u8(1).u16(280).u8(4);
    i.u8(0).u8(0).u8('i').u8(1).u8(1).u8(1).u8('o').u8(1);
    i.u8(1).u8(1).u8(1).u8(0).u16(3).u16(12);
    i.u8(1).u8(1).u8(0).u8(0).u8(0).u16(10).u16(5);
    i.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    return i;
}

// The two values o1 reads on that board, in that pass.
std::pair<int, int> WiringReads(const std::string &boardSection, int pass = 1)
{
    const auto program = ReadProgram(WiringProgram().bytes, nullptr);
    std::string why;
    const auto board = ParseBoard("[Board]\nTactTime=0\n" + boardSection, &why);
    if (!program || !board)
        return {-1, -1};
    const PassResult result = EvaluateProgram(*program, *board, {}, pass);
    const auto &b = result.bodies.at(0);
    return {b.at(0) | b.at(1) << 8, b.at(2) | b.at(3) << 8};
}

TEST(BoardBehaviour, ReadsWiringFaultsAndRefusesBadPairs)
{
    std::string why;
    const auto board = ParseBoard(
        "[Board]\nBridgedAnd=1-2, 3-4\nBridgedOr=5-6\nSwapped=7-8\nFaultEvery=3\n", &why);
    ASSERT_TRUE(board) << why;
    EXPECT_EQ(board->behaviour.bridgedAnd, (std::vector<ContactPair>{{0, 1}, {2, 3}}));
    EXPECT_EQ(board->behaviour.bridgedOr, (std::vector<ContactPair>{{4, 5}}));
    EXPECT_EQ(board->behaviour.swapped, (std::vector<ContactPair>{{6, 7}}));
    EXPECT_EQ(board->behaviour.faultEvery, 3);
    for (const char *bad :
         {"BridgedAnd=1-1", "BridgedOr=1", "Swapped=1-193", "Swapped=a-2", "FaultEvery=-1"}) {
        EXPECT_FALSE(ParseBoard(std::string("[Board]\n") + bad + "\n", &why)) << bad;
        EXPECT_NE(why.find("строка 2"), std::string::npos) << why;
    }
}

TEST(BoardRunResults, ShortedAndCrossedContactsReadTheLevelsAroundTheRead)
{
    EXPECT_EQ(WiringReads(""), std::make_pair(10, 5)); // a golden board
    // Two bits of the word itself: 1010 / 0101 on contacts 4..1.
    EXPECT_EQ(WiringReads("BridgedAnd=1-2\n"), std::make_pair(8, 4));
    EXPECT_EQ(WiringReads("BridgedOr=2-1\n"), std::make_pair(11, 7));
    EXPECT_EQ(WiringReads("Swapped=1-2\n"), std::make_pair(9, 6));
    // A bit shorted to a contact the input word drives (3, then 12).
    EXPECT_EQ(WiringReads("BridgedAnd=1-5\n"), std::make_pair(10, 4));
    // To the control line, which is high when the word is read.
    EXPECT_EQ(WiringReads("BridgedOr=2-9\n"), std::make_pair(10, 7));
    // Crossed with a contact nobody drives: it floats high.
    EXPECT_EQ(WiringReads("Swapped=4-20\n"), std::make_pair(10, 13));
    // A stuck contact forces its level into the short too.
    EXPECT_EQ(WiringReads("BridgedOr=1-5\nStuckHigh=5\n"), std::make_pair(11, 5));
}

TEST(BoardRunResults, FaultEveryLetsEveryFaultActOnlyInItsPasses)
{
    const std::string faults = "StuckLow=4\nSwapped=1-2\nFaultEvery=2\n";
    EXPECT_EQ(WiringReads(faults, 1), std::make_pair(10, 5));
    EXPECT_EQ(WiringReads(faults, 2), std::make_pair(1, 6));
    EXPECT_EQ(WiringReads(faults, 3), std::make_pair(10, 5));
    // StuckEvery still counts on its own, within the passes FaultEvery leaves.
    EXPECT_EQ(WiringReads("StuckLow=4\nStuckEvery=3\nFaultEvery=2\n", 3), std::make_pair(10, 5));
    EXPECT_EQ(WiringReads("StuckLow=4\nStuckEvery=3\nFaultEvery=2\n", 6), std::make_pair(2, 5));
}

TEST(BoardRunSession, ProgrammingProgressCancelledStopsWithCode13)
{
    auto unit = std::make_shared<SimulatedUnit>(DefaultBoard());
    SimHost host(unit);
    ASSERT_TRUE(host.Attached());
    EXPECT_EQ(host.Ask(QORV_DATA, SmallProgram().bytes).kind, kAck);
    auto progress = host.Next();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->kind, kNotify);
    EXPECT_EQ(progress->code, QORV_PROGRE);
    EXPECT_EQ(progress->body.size(), 6u);
    host.Send(QORV_PROGRE, {'C', 'A', 'N', 'C', 'E', 'L'});
    std::optional<Packet> result;
    for (int i = 0; i < 4; ++i) {
        auto next = host.Next();
        ASSERT_TRUE(next);
        if (next->kind == kNotify) {
            result = next;
            break;
        }
    }
    ASSERT_TRUE(result);
    EXPECT_EQ(result->code, QORV_CANCEL);
    ASSERT_GE(result->body.size(), 2u);
    EXPECT_EQ(result->body[0], 1); // stopped in the first cycle
    EXPECT_EQ(result->body[1], 3); // at the P column
}

TEST(BoardRunSession, AContinuousRunSendsEveryPassAndRunsAgainOnRetry)
{
    Board board = DefaultBoard();
    board.behaviour.tactMicros = 0;
    auto unit = std::make_shared<SimulatedUnit>(board);
    SimHost host(unit);
    auto image = SmallProgram(FlagContinuous | FlagResultPerPass);
    EXPECT_EQ(host.Ask(QORV_DATA, image.bytes).kind, kAck);
    int passes = 0;
    for (int i = 0; i < 40 && passes < 2; ++i) {
        auto frame = host.Next();
        ASSERT_TRUE(frame);
        if (frame->kind != kNotify)
            continue;
        if (frame->code == QORV_PROGRE) {
            host.Send(QORV_PROGRE, {'O', 'K'});
        } else if (frame->code == QORV_DATA) {
            ++passes;
            host.Send(passes < 2 ? QORV_RETRY : QORV_CANCEL);
        }
    }
    EXPECT_EQ(passes, 2);
    // The cancel after the second pass answers with the results, code 13.
    std::optional<Packet> last;
    for (int i = 0; i < 4 && !last; ++i) {
        auto frame = host.Next();
        if (frame && frame->kind == kNotify)
            last = frame;
    }
    ASSERT_TRUE(last);
    EXPECT_EQ(last->code, QORV_CANCEL);
    // A new program is taken once the run has ended.
    EXPECT_EQ(host.Ask(QORV_DATA, SmallProgram().bytes).kind, kAck);
}

TEST(BoardRunSession, ARunWhoseHostWentAwayDoesNotKeepTheUnitBusy)
{
    Board board = DefaultBoard();
    board.behaviour.tactMicros = 1000000; // a run that would take seconds
    auto unit = std::make_shared<SimulatedUnit>(board);
    {
        SimHost first(unit);
        ASSERT_TRUE(first.Attached());
        EXPECT_EQ(first.Ask(QORV_DATA, SmallProgram().bytes).kind, kAck);
        // A second program while this one runs is refused as busy.
        EXPECT_EQ(first.Ask(QORV_DATA, SmallProgram().bytes).kind, kError);
    }
    SimHost second(unit);
    ASSERT_TRUE(second.Attached());
    EXPECT_EQ(second.Ask(QORV_DATA, SmallProgram().bytes).kind, kAck);
}

} // namespace
} // namespace qv::sim::testing
