#include "infra/mesbo.h"

#include <gtest/gtest.h>
#include <thread>

namespace qv {
namespace {

TEST(ScriptedMesbo, RecordsEveryMessageAndAnswersFromItsQueueFirst)
{
    ScriptedMesbo box;
    box.QueueAnswer(MbNo);
    EXPECT_EQ(box.Show("Удалить?", MbQuestion, "Quorvik"), MbNo);
    EXPECT_EQ(box.Show("Ещё раз?", MbQuestion, "Quorvik"), MbYes); // queue empty: default
    EXPECT_EQ(box.Show("Ошибка", MbErrorRetryCancel, ""), MbRetry);
    EXPECT_EQ(box.Show("Готово", MbInformation, ""), MbOk);
    const auto shown = box.ShownMessages();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, "Удалить?");
    EXPECT_EQ(shown[0].flags, MbQuestion);
    EXPECT_EQ(shown[0].caption, "Quorvik");
    EXPECT_EQ(shown[2].flags, MbErrorRetryCancel);
}

TEST(ScriptedMesbo, FallbackAnswerReplacesTheDefaultButton)
{
    ScriptedMesbo box;
    box.SetFallbackAnswer(MbNo);
    EXPECT_EQ(box.Show("?", MbQuestion, ""), MbNo);
    EXPECT_EQ(box.Show("?", MbQuestion, ""), MbNo);
}

TEST(ScriptedMesbo, EchoSeesEachMessageOnce)
{
    ScriptedMesbo box;
    int echoed = 0;
    box.SetEcho([&](const ScriptedMesbo::Shown &s) {
        ++echoed;
        EXPECT_EQ(s.text, "x");
    });
    box.Show("x", MbWarning, "");
    EXPECT_EQ(echoed, 1);
    box.Clear();
    EXPECT_EQ(box.Count(), 0u);
}

TEST(ScriptedMesbo, ManyThreadsMayShowAtOnce)
{
    ScriptedMesbo box;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 250; ++i)
                box.Show("m", MbError, "");
        });
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(box.Count(), 1000u);
}

TEST(MesboService, InstallReturnsThePreviousServiceForScopedReplacement)
{
    auto scripted = std::make_unique<ScriptedMesbo>();
    ScriptedMesbo *raw = scripted.get();
    auto previous = InstallMesbo(std::move(scripted));
    Mesbo().Show("через службу", MbInformation, "");
    EXPECT_EQ(raw->Count(), 1u);
    InstallMesbo(std::move(previous));
}

TEST(FailureThrottle, LetsOneBoxThroughPerPeriod)
{
    using namespace std::chrono;
    FailureThrottle::Clock::time_point now{};
    FailureThrottle throttle(milliseconds(3000), [&] { return now; });
    EXPECT_TRUE(throttle.Allow());
    now += milliseconds(1000);
    EXPECT_FALSE(throttle.Allow());
    now += milliseconds(1999);
    EXPECT_FALSE(throttle.Allow());
    now += milliseconds(1);
    EXPECT_TRUE(throttle.Allow());
    EXPECT_FALSE(throttle.Allow());
    throttle.Reset();
    EXPECT_TRUE(throttle.Allow()) << "a reset lets the next box through at once";
}

} // namespace
} // namespace qv
