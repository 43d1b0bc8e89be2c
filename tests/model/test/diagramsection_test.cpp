#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/diagramsection.h"
#include "model/test/stest.h"
#include "model/words/timearray.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

const std::string kSep(1, kLineSeparator);

STest TestWithCycles(int cycles)
{
    STest test;
    test.Cycles = cycles;
    return test;
}

IniStore DiagramStore(const std::vector<std::pair<std::string, std::string>> &keys)
{
    IniStore ini;
    for (const auto &[key, value] : keys) {
        ini.WriteString(kDiagramSection, key, value);
    }
    return ini;
}

TEST(DiagramSection, ReadsLinesWithAndWithoutALabel)
{
    STest test = TestWithCycles(1);
    ReadDiagramSection(DiagramStore({{"D1", "-io-"},
                                     {"D2", "0120"},
                                     {"1", "5" + kSep + "01_-"},
                                     {"2", "17" + kSep + "1100" + kSep + "CS"},
                                     {"4", "3" + kSep + "0000"}}),
                       kDiagramSection, test);
    EXPECT_EQ(test.Tacts.D1, "-io-");
    EXPECT_EQ(test.Tacts.TactCount(), 4);
    ASSERT_EQ(test.Tacts.Count(), 2); // key 3 is missing: the lines end there
    EXPECT_EQ(*test.Tacts.GetLine(0), (TLine{5, "", "01_-"}));
    EXPECT_EQ(*test.Tacts.GetLine(1), (TLine{17, "CS", "1100"}));
    EXPECT_FALSE(test.Tacts.GetLine(2));
    EXPECT_TRUE(test.Probes.empty());
}

TEST(DiagramSection, ASectionWithoutLinesGivesTheLettersOnly)
{
    STest test = TestWithCycles(1);
    ReadDiagramSection(DiagramStore({{"D1", "ii"}, {"D2", "12"}}), kDiagramSection, test);
    EXPECT_EQ(test.Tacts.D2, "12");
    EXPECT_EQ(test.Tacts.Count(), 0);

    STest untouched = TestWithCycles(1);
    untouched.Tacts.D1 = "kept";
    ReadDiagramSection(IniStore(), kDiagramSection, untouched); // no section: nothing changes
    EXPECT_EQ(untouched.Tacts.D1, "kept");
}

TEST(DiagramSection, WritesLinesAndDropsNumberedKeysOfAnEarlierWrite)
{
    STest test = TestWithCycles(1);
    test.Tacts.D1 = "-i";
    test.Tacts.D2 = "01";
    ASSERT_TRUE(test.Tacts.AddLine());
    ASSERT_TRUE(test.Tacts.SetLine(0, TLine{12, "A0", "01"}));
    IniStore ini = DiagramStore({{"1", "x"}, {"2", "y"}, {"3", "z"}});
    WriteDiagramSection(ini, kDiagramSection, test, nullptr);
    EXPECT_EQ(ini.ReadSection(kDiagramSection), (std::vector<std::string>{"1", "D1", "D2"}));
    EXPECT_EQ(ini.ReadString(kDiagramSection, "1", ""), "12" + kSep + "01" + kSep + "A0");

    STest back = TestWithCycles(1);
    ReadDiagramSection(ini, kDiagramSection, back);
    EXPECT_EQ(back.Tacts, test.Tacts);
}

TEST(DiagramSection, ProbeKeysGiveTheDefaultEntryAndOneEntryPerPair)
{
    STest test = TestWithCycles(2);
    ReadDiagramSection(
        DiagramStore(
            {{"D1", "---"}, {"Z0", "A" + kSep + "01x" + kSep + "B" + kSep + "x1_"}, {"ZM0", "3<"}}),
        kDiagramSection, test);
    ASSERT_EQ(test.Probes.size(), 2u);
    EXPECT_EQ(test.ProbeFlags.size(), 2u);
    ASSERT_EQ(test.ProbeCount(0), 3);
    EXPECT_EQ(test.ProbeCount(1), 0);
    const auto &entries = test.Probes[0];
    EXPECT_EQ(entries[0], DefaultProbe(3));
    EXPECT_EQ(entries[0].Name, "Зонд");
    EXPECT_EQ(entries[1], (SZond{"A", "xxx", "01x", false, 3}));
    EXPECT_EQ(entries[2], (SZond{"B", "xxx", "x1_", false, 12}));
}

TEST(DiagramSection, ProbeEntriesWithoutMarksGetNone)
{
    STest test = TestWithCycles(1);
    ReadDiagramSection(DiagramStore({{"Z0", "A" + kSep + "01"}}), kDiagramSection, test);
    ASSERT_EQ(test.ProbeCount(0), 2);
    EXPECT_EQ(test.Probes[0][1].Mark, -1);

    IniStore out;
    WriteDiagramSection(out, kDiagramSection, test, nullptr);
    EXPECT_EQ(out.ReadString(kDiagramSection, "ZM0", ""), "/"); // none is written as '0' - 1
    STest back = TestWithCycles(1);
    ReadDiagramSection(out, kDiagramSection, back);
    EXPECT_EQ(back.Probes, test.Probes);
}

class ProbeSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test.Tacts.D1 = "---";
        test.Probes.resize(2);
        for (auto &entries : test.Probes) {
            entries = {DefaultProbe(3), SZond{"A", "011", "0xx", true, 3},
                       SZond{"B", "xxx", "xxx", true, 3}, SZond{"C", "101", "xxx", true, 5}};
        }
    }

    std::string Saved(const SSaveParam *param, int cycle)
    {
        IniStore out;
        WriteDiagramSection(out, kDiagramSection, test, param);
        return out.ReadString(kDiagramSection, NumberedName("Z", cycle), "");
    }

    STest test = TestWithCycles(2);
};

TEST_F(ProbeSave, AnEntryWithNothingExpectedAndNoUsableMeasurementIsDropped)
{
    EXPECT_EQ(Saved(nullptr, 0), "A" + kSep + "0xx");
}

TEST_F(ProbeSave, MeasurementsReplaceReferencesOnlyWhenProbeDataIsAsked)
{
    SSaveParam param;
    param.DebugMode = true;
    param.Kinds = SSaveParam::KindDebugData;
    param.Test = -1;
    EXPECT_EQ(Saved(&param, 0), "A" + kSep + "0xx");

    param.Kinds = SSaveParam::KindProbeData;
    // Entry C is measured, but its mark does not let the measurement in.
    EXPECT_EQ(Saved(&param, 0), "A" + kSep + "011");

    param.Test = 0;
    param.TestIndex = 0;
    param.Cycle = 1;
    EXPECT_EQ(Saved(&param, 0), "A" + kSep + "0xx");
    EXPECT_EQ(Saved(&param, 1), "A" + kSep + "011");
    param.TestIndex = 1; // another test than the one chosen keeps its references
    EXPECT_EQ(Saved(&param, 1), "A" + kSep + "0xx");

    test.Probes[0][1].On = false;
    param.Test = -1;
    EXPECT_EQ(Saved(&param, 0), "A" + kSep + "0xx");
}

TEST(DiagramSection, MalformedLinesStopTheLoad)
{
    STest test = TestWithCycles(1);
    EXPECT_THROW(
        ReadDiagramSection(DiagramStore({{"1", "12 no separator"}}), kDiagramSection, test),
        SectionFormatError);
    EXPECT_THROW(
        ReadDiagramSection(DiagramStore({{"1", "x1" + kSep + "01"}}), kDiagramSection, test),
        SectionFormatError);
    EXPECT_THROW(
        ReadDiagramSection(DiagramStore({{"1", "192" + kSep + "01"}}), kDiagramSection, test),
        SectionFormatError);
    EXPECT_THROW(ReadDiagramSection(DiagramStore({{"Z0", "A" + kSep + "0"}, {"ZM0", "\x01"}}),
                                    kDiagramSection, test),
                 SectionFormatError);
}

} // namespace
} // namespace qv
