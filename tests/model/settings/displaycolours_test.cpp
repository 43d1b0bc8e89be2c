#include "model/settings/displaycolours.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace qv {
namespace {

TEST(ViewColours, DefaultsAreStoredRedInTheLowByte)
{
    ViewColours colours;
    EXPECT_EQ(colours.Get(ClrOutputWrong), 0x0000FFu); // #FF0000
    EXPECT_EQ(colours.Get(ClrTestT), 0xFF0000u);       // #0000FF
    EXPECT_EQ(colours.Get(ClrBeforeStartTact), 0xA6CAF0u);
    EXPECT_EQ(colours.Get(ClrVTact), 0xD9D9FFu);
    EXPECT_EQ(RgbFromBgr(colours.Get(ClrLastTact)), 0x99CCCCu);
}

TEST(ViewColours, NamesAreUniqueAndFindTheirIndex)
{
    std::set<std::string_view> names;
    for (const auto &info : ColourTable())
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
    ViewColours colours;
    EXPECT_EQ(colours.IndexOf("Слово GE"), ClrWordGE);
    EXPECT_EQ(colours.IndexOf("Ошибочное слово данных"), ClrTableWrongWord);
    EXPECT_FALSE(colours.IndexOf("Слово ge").has_value());
}

TEST(ViewColours, SetKeepsOnlyTheColourBytesAndIgnoresBadIndices)
{
    ViewColours colours;
    colours.Set(ClrWordGE, 0xFF0000FF);
    EXPECT_EQ(colours.Get(ClrWordGE), 0x0000FFu);
    colours.Set(-1, 1);
    colours.Set(kColourCount, 1);
    EXPECT_EQ(colours.Get(kColourCount), 0u);
    colours.Reset();
    EXPECT_EQ(colours, ViewColours());
}

} // namespace
} // namespace qv
