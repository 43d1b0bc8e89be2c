#include "sim/board.h"
#include "sim/scope.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace qv::sim {
namespace {

const std::vector<std::uint8_t> kIdle{0x9D, 0x02, 0x06, 0x04, 0x01, 0x01, 0xFF};

std::vector<std::uint8_t> Capture(int scale, int sweep)
{
    return {0x9D,
            0x03,
            static_cast<std::uint8_t>(scale + 4),
            static_cast<std::uint8_t>(sweep + 1),
            0x02,
            0x02,
            0x77};
}

std::vector<std::uint8_t> ReadAll(SimulatedScope &scope)
{
    std::vector<std::uint8_t> bytes(scope.Queued());
    bytes.resize(scope.Read(bytes));
    return bytes;
}

ScopeTrigger Square(int tactMicros = 2000)
{
    ScopeTrigger trigger;
    trigger.levels = {1, 0, 1, 1, 0, 0, 0, 1, 0, 1};
    trigger.tactMicros = tactMicros;
    return trigger;
}

// A bus of its own, so that the process-wide one stays out of these tests.
struct ScopeOnBus
{
    explicit ScopeOnBus(ScopeBehaviour behaviour = {})
    {
        bus.SetBehaviour(behaviour);
        scope = std::make_unique<SimulatedScope>(bus);
    }
    ScopeBus bus;
    std::unique_ptr<SimulatedScope> scope;
};

TEST(SimulatedScope, AcknowledgesCommandsAndAnswersEachBlockRequestAtTheNextTrigger)
{
    ScopeOnBus s;
    s.scope->Write(kIdle);
    EXPECT_EQ(ReadAll(*s.scope), (std::vector<std::uint8_t>{0x9C}));
    s.scope->Write(Capture(2, 4));
    EXPECT_EQ(ReadAll(*s.scope), (std::vector<std::uint8_t>{0x9C}));

    s.bus.Publish(Square()); // nothing requested yet
    EXPECT_EQ(s.scope->Queued(), 0u);
    s.scope->Write(std::vector<std::uint8_t>{0x9E});
    s.bus.Publish(Square());
    s.bus.Publish(Square()); // one request, one block
    EXPECT_EQ(s.scope->Queued(), kScopeBlock);
    const auto block = ReadAll(*s.scope);
    EXPECT_TRUE(std::all_of(block.begin() + kScopeSamples, block.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(s.scope->BlocksSent(), 1);

    // Idle again: a request left over is forgotten.
    s.scope->Write(std::vector<std::uint8_t>{0x9E});
    s.scope->Write(kIdle);
    ReadAll(*s.scope);
    s.bus.Publish(Square());
    EXPECT_EQ(s.scope->Queued(), 0u);
}

TEST(SimulatedScope, CommandsArriveInPiecesAndUnknownBytesGetAnErrorStatus)
{
    ScopeOnBus s;
    const auto capture = Capture(0, 0);
    s.scope->Write(std::span(capture).first(3));
    EXPECT_EQ(s.scope->Queued(), 0u);
    s.scope->Write(std::span(capture).subspan(3));
    EXPECT_EQ(ReadAll(*s.scope), (std::vector<std::uint8_t>{0x9C}));
    s.scope->Write(std::vector<std::uint8_t>{0x42});
    EXPECT_EQ(ReadAll(*s.scope), (std::vector<std::uint8_t>{0x9C, 0x00}));
    // A capture command with a sweep out of range.
    s.scope->Write(std::vector<std::uint8_t>{0x9D, 0x03, 0x04, 14, 0x02, 0x02, 0x77});
    EXPECT_EQ(ReadAll(*s.scope), (std::vector<std::uint8_t>{0x9C, 0x00}));
}

TEST(SimulatedScope, BoardFaultsChangeItsAnswers)
{
    ScopeOnBus internal({16, ScopeFault::Internal, 0});
    internal.scope->Write(kIdle);
    EXPECT_EQ(ReadAll(*internal.scope), (std::vector<std::uint8_t>{0x9B}));

    ScopeOnBus status({16, ScopeFault::Status, 0});
    status.scope->Write(kIdle);
    EXPECT_EQ(ReadAll(*status.scope), (std::vector<std::uint8_t>{0x9C})) << "idle still works";
    status.scope->Write(Capture(1, 1));
    EXPECT_EQ(ReadAll(*status.scope), (std::vector<std::uint8_t>{0x9C, 0x00}));

    ScopeOnBus slow({16, ScopeFault::Slow, 60 * 1000});
    slow.scope->Write(kIdle);
    EXPECT_EQ(slow.scope->Queued(), 0u) << "the answer is a minute away";
    slow.scope->Purge(1);
}

TEST(SimulatedScope, SamplesFollowTheLevelsTheSweepAndTheScale)
{
    ScopeTrigger flat;
    flat.levels = {1};
    const auto high25 = ScopeSamples(flat, 4, 0);
    const auto high50 = ScopeSamples(flat, 4, 3);
    // 4.6 V on a 5 V screen is near the top; on a 100 V screen near the bottom.
    EXPECT_GT(high25[500], 220);
    EXPECT_LT(high50[500], 20);
    EXPECT_GT(high50[500], 5);

    flat.levels = {0};
    EXPECT_LT(ScopeSamples(flat, 4, 0)[500], 20);

    // Sweep "20 мс" over 2 ms tacts shows ten tacts: 100 samples each. A
    // longer sweep squeezes them.
    const auto square = ScopeSamples(Square(), 4, 0);
    EXPECT_GT(square[50], 200);  // tact 0 high
    EXPECT_LT(square[150], 30);  // tact 1 low
    EXPECT_GT(square[250], 200); // tact 2 high
    const auto squeezed = ScopeSamples(Square(), 5, 0);
    EXPECT_LT(squeezed[50], 30) << "tact 1 already, at 40 samples a tact";
    EXPECT_NE(square, squeezed);
}

TEST(SimulatedScope, ScopeSectionOfTheBoardFileIsRead)
{
    std::string error;
    const auto board = ParseBoard("[Scope]\nContact=5\nFault=slow\nSlowReply=250\n", &error);
    ASSERT_TRUE(board) << error;
    EXPECT_EQ(board->scope.contact, 4);
    EXPECT_EQ(board->scope.fault, ScopeFault::Slow);
    EXPECT_EQ(board->scope.slowMs, 250);
    EXPECT_EQ(DefaultBoard().scope.fault, ScopeFault::None);

    EXPECT_FALSE(ParseBoard("[Scope]\nFault=sometimes\n", &error));
    EXPECT_NE(error.find("Fault"), std::string::npos) << error;
    EXPECT_FALSE(ParseBoard("[Scope]\nContact=193\n", &error));
}

} // namespace
} // namespace qv::sim
