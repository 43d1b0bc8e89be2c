#include "execution/port/buildinfo.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

std::vector<std::uint8_t> Answer(std::uint8_t type, std::uint8_t month,
                                 std::vector<std::uint8_t> versions, std::uint8_t count)
{
    const std::uint8_t head[] = {type, 0x07, 0xE8, 9, month, 7, 3, 59, count};
    versions.insert(versions.begin(), std::begin(head), std::end(head));
    return versions;
}

TEST(BuildInfo, TheTextOfBothUnitTypes)
{
    EXPECT_EQ(BuildInfoText(Answer(1, 2, {'1', '0'}, 1)),
              "Тип устройства: MSDOS\r\nДата сборки: 09.03.2024\r\nВремя сборки: 07:03:59\r\n"
              "Версия сборки \"Диагностический тест QUORVIK\": 1.0");
    EXPECT_EQ(BuildInfoText(Answer(0, 2, {}, 0)),
              "Тип устройства: ARM\r\nДата сборки: 09.02.2024\r\nВремя сборки: 07:03:59")
        << "an ARM unit's month is taken as it comes";
}

TEST(BuildInfo, AbsentProgramsAreSkippedAndPositionsPastTheSixthHaveNoName)
{
    const auto text =
        BuildInfoText(Answer(0, 1, {'2', '1', 0, 0, '3', 0, 0, 0, 0, 0, 0, 0, '9', '9'}, 7));
    EXPECT_EQ(text, "Тип устройства: ARM\r\nДата сборки: 09.01.2024\r\nВремя сборки: 07:03:59\r\n"
                    "Версия сборки \"Диагностический тест QUORVIK\": 2.1\r\n"
                    "Версия сборки \"\": 9.9");
}

TEST(BuildInfo, ACountBeyondTheAnswerUsesOnlyThePairsPresent)
{
    const auto text = BuildInfoText(Answer(1, 0, {'1', '2', '3'}, 200));
    EXPECT_EQ(text, "Тип устройства: MSDOS\r\nДата сборки: 09.01.2024\r\nВремя сборки: 07:03:59\r\n"
                    "Версия сборки \"Диагностический тест QUORVIK\": 1.2");
}

TEST(BuildInfo, AnswersOfTheWrongFormAreRefused)
{
    EXPECT_FALSE(BuildInfoText(std::vector<std::uint8_t>{}));
    EXPECT_FALSE(BuildInfoText(std::vector<std::uint8_t>{1, 7, 232, 9, 2, 7, 3, 59}));
    EXPECT_FALSE(BuildInfoText(Answer(2, 1, {}, 0)));
    auto big = Answer(1, 1, std::vector<std::uint8_t>(1015, '1'), 255);
    ASSERT_EQ(big.size(), 1024u);
    EXPECT_FALSE(BuildInfoText(big));
    big.pop_back();
    EXPECT_TRUE(BuildInfoText(big));
}

} // namespace
} // namespace qv
