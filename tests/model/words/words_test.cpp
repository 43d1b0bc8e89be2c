#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/words/words.h"
#include "model/words/wordvalues.h"
#include "support/model/scopedmesbo.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

const std::string kNone(1, kNoValue);

IniStore StoreOf(std::string_view text)
{
    IniStore ini;
    ini.FromText(text);
    return ini;
}

SSaveParam DebugSave(int test, int cycle, int testIndex, std::int32_t kinds)
{
    SSaveParam param;
    param.DebugMode = true;
    param.Test = test;
    param.Cycle = cycle;
    param.TestIndex = testIndex;
    param.Kinds = kinds;
    param.WordKind = 'i';
    return param;
}

TEST(Words, ReadsOnlyTheSectionsThatExistAndKeepsTheirNumbers)
{
    TWord words('i');
    words.Read(StoreOf("[IWORDS3]\r\nNAME=A\r\nTYRE=2\r\nCODE=1\r\nDATA=1/2\r\n"
                       "[IWORDS17]\r\nNAME=B\r\n"),
               2);
    ASSERT_EQ(words.Count(), 1);
    const SWord &word = *words.At(0);
    EXPECT_EQ(word.Id, 3);
    EXPECT_EQ(word.Name, "A");
    EXPECT_EQ(word.Tyre, 2);
    EXPECT_EQ(word.Code, 1);
    EXPECT_EQ(word.Run, "1/2");
    EXPECT_EQ(words.IdString(), std::string(1, '\x03'));
}

TEST(Words, AStarNamedInputWordIsAConstantRepeatedForEveryCycle)
{
    TWord words('i');
    words.Read(StoreOf("[IWORDS1]\r\nNAME=*\r\nDATA=5\r\n"), 4);
    const SWord &word = *words.Find(1);
    EXPECT_TRUE(word.IsConstant());
    EXPECT_EQ(word.Run, "5/5/5/5");
    EXPECT_EQ(word.Tyre, 0); // missing keys read as 0
    EXPECT_EQ(word.Code, 0);

    IniStore out;
    words.Write(out, nullptr);
    EXPECT_EQ(out.ToText(), "[IWORDS1]\r\nNAME=\r\nTYRE=0\r\nCODE=0\r\nDATA=5\r\n");
}

TEST(Words, OutputWordsGetANameAndTheirWaitSettings)
{
    TOWord words;
    words.Read(StoreOf("[OWORDS2]\r\nNAME=\r\nDATA=1\r\n"
                       "[OWORDS4]\r\nNAME=*\r\nTYPE=O\r\nOWAIT=-1\r\n"
                       "[OWORDS5]\r\nNAME=Q\r\nTYPE=O\r\nOWAIT=10 мс\r\n"),
               1);
    EXPECT_EQ(words.Find(2)->Name, "o2");
    EXPECT_EQ(words.Find(4)->Name, "o4");
    EXPECT_FALSE(words.IsWaitWord(2));
    EXPECT_TRUE(words.IsWaitWord(4));
    EXPECT_EQ(words.WaitLimit(4), "65535");
    EXPECT_EQ(words.WaitLimit(5), "10 мс");
    EXPECT_EQ(words.WaitIds(), "\x05\x06");

    IniStore out;
    words.Write(out, nullptr);
    EXPECT_EQ(out.ReadString("OWORDS2", "TYPE", ""), "o");
    EXPECT_FALSE(out.ValueExists("OWORDS2", "OWAIT"));
    EXPECT_EQ(out.ReadString("OWORDS4", "OWAIT", ""), "65535");
    EXPECT_EQ(out.ReadString("OWORDS5", "TYPE", ""), "O");
    EXPECT_EQ(out.ReadString("OWORDS5", "OWAIT", ""), "10 мс");
    EXPECT_EQ(out.ReadString("OWORDS2", "NAME", ""), "o2");

    ASSERT_TRUE(words.SetWaitLimit(2, "-1"));
    EXPECT_EQ(words.WaitLimit(2), "65535");
}

TEST(Words, OutputDataIsRewrittenFromTheRunOnlyWhenSaveParametersAreGiven)
{
    TOWord words;
    words.Read(StoreOf("[OWORDS1]\r\nNAME=a\r\nDATA=12/30/7\r\n"), 3);
    ASSERT_TRUE(words.SetText(1, "12/" + kNone + "/7", ValueSet::Run));

    SSaveParam plain; // a plain save: Kinds 0, not in debug mode
    IniStore out;
    words.Write(out, &plain);
    EXPECT_EQ(out.ReadString("OWORDS1", "DATA", ""), "12/30/7");

    ASSERT_TRUE(words.SetText(1, "13/31/8", ValueSet::Run));
    words.Write(out, nullptr);
    EXPECT_EQ(out.ReadString("OWORDS1", "DATA", ""), "12/30/7");
    words.Write(out, &plain);
    EXPECT_EQ(out.ReadString("OWORDS1", "DATA", ""), "13/31/8");

    SSaveParam oneCycle = DebugSave(0, 1, 0, 0);
    words.Write(out, &oneCycle);
    EXPECT_EQ(out.ReadString("OWORDS1", "DATA", ""), "12/31/7");
    oneCycle.TestIndex = 1; // another test: all its read-back values
    words.Write(out, &oneCycle);
    EXPECT_EQ(out.ReadString("OWORDS1", "DATA", ""), "13/31/8");
}

TEST(Words, InputDataFollowsTheDebugSaveRules)
{
    TWord words('i');
    words.Read(StoreOf("[IWORDS1]\r\nNAME=a\r\nDATA=1/2/3\r\n"
                       "[IWORDS2]\r\nNAME=\r\nDATA=9\r\n"),
               3);
    ASSERT_TRUE(words.SetText(1, "4/" + kNone + "/6", ValueSet::Run));
    ASSERT_TRUE(words.SetText(2, "9/8/9", ValueSet::Run));
    const auto saved = [&](const SSaveParam *param, int id) {
        IniStore out;
        words.Write(out, param);
        return out.ReadString(NumberedName("IWORDS", id), "DATA", "");
    };

    EXPECT_EQ(saved(nullptr, 1), "1/2/3");
    SSaveParam noDebugKind = DebugSave(-1, -1, 0, SSaveParam::KindFuncData);
    EXPECT_EQ(saved(&noDebugKind, 1), "1/2/3");
    SSaveParam notDebugging = DebugSave(-1, -1, 0, SSaveParam::KindDebugData);
    notDebugging.DebugMode = false;
    EXPECT_EQ(saved(&notDebugging, 1), "1/2/3");

    SSaveParam allTests = DebugSave(-1, 1, 0, SSaveParam::KindDebugData);
    EXPECT_EQ(saved(&allTests, 1), "4/2/6"); // a value not taken keeps the reference
    EXPECT_EQ(saved(&allTests, 2), "8");     // a constant: the run value of the active cycle
    SSaveParam thisTestAllCycles = DebugSave(0, -1, 0, SSaveParam::KindDebugData);
    EXPECT_EQ(saved(&thisTestAllCycles, 1), "4/2/6");
    SSaveParam thisTestOneCycle = DebugSave(0, 2, 0, SSaveParam::KindDebugData);
    EXPECT_EQ(saved(&thisTestOneCycle, 1), "1/2/6");
    SSaveParam otherTest = DebugSave(3, -1, 0, SSaveParam::KindDebugData);
    EXPECT_EQ(saved(&otherTest, 1), "1/2/3");
    SSaveParam wrongKind = DebugSave(-1, -1, 0, SSaveParam::KindDebugData);
    wrongKind.WordKind = 'o';
    EXPECT_EQ(saved(&wrongKind, 1), "1/2/3");
}

TEST(Words, CompareGivesCorrectWrongOrNotChecked)
{
    TOWord words;
    words.Read(StoreOf("[OWORDS1]\r\nNAME=a\r\nDATA=1/2/3\r\n"), 3);
    EXPECT_EQ(words.Result(1), 0); // nothing compared yet counts as correct

    ASSERT_TRUE(words.SetText(1, "1/5/3", ValueSet::Run));
    ASSERT_TRUE(words.Compare(1, false, false, 0));
    EXPECT_EQ(words.Result(1), 1);
    ASSERT_TRUE(words.Compare(1, false, true, 2)); // only cycle 3 counts
    EXPECT_EQ(words.Result(1), 0);

    ASSERT_TRUE(words.SetText(1, kNone + "/" + kNone + "/" + kNone, ValueSet::Run));
    ASSERT_TRUE(words.Compare(1, false, false, 0));
    EXPECT_EQ(words.Result(1), 2);

    ASSERT_TRUE(words.SetText(1, "1/2/3", ValueSet::Run));
    ASSERT_TRUE(words.Compare(1, true, true, 1)); // the cycle's value is cleared first
    EXPECT_EQ(words.Result(1), 2);
    EXPECT_EQ(words.Find(1)->Run, "1/" + kNone + "/3");
}

TEST(Words, SequentialReadersReportReadingPastTheLastValue)
{
    ScopedMesbo mesbo;
    TWord words('i');
    words.Read(StoreOf("[IWORDS1]\r\nNAME=a\r\nDATA=7/8\r\n"), 2);
    ASSERT_TRUE(words.SetValueAt(1, 1, -1, ValueSet::Run));
    std::int32_t value = 0;
    words.ResetCursors();
    EXPECT_TRUE(words.NextValue(1, ValueSet::Reference, value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(words.NextValue(1, ValueSet::Reference, value));
    EXPECT_EQ(value, 8);
    EXPECT_TRUE(words.NextValue(1, ValueSet::Run, value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(words.NextValue(1, ValueSet::Run, value));
    EXPECT_EQ(value, -1);
    EXPECT_EQ(mesbo->Count(), 0u);

    EXPECT_FALSE(words.NextValue(1, ValueSet::Reference, value));
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(mesbo->ShownMessages()[0].caption, kInternalFailureCaption);
    EXPECT_EQ(mesbo->ShownMessages()[0].flags, MbError);
    EXPECT_EQ(words.ValueCount(1), 2);
    EXPECT_EQ(words.ValueAt(1, 1, ValueSet::Reference), 8);
    EXPECT_EQ(words.ValueAt(1, 1, ValueSet::Run), std::nullopt);
}

TEST(Words, SetValueAtGrowsARunButNeverAReference)
{
    ScopedMesbo mesbo;
    TWord words('i');
    ASSERT_TRUE(words.Add(2));
    ASSERT_TRUE(words.SetText(2, "1/2", ValueSet::Reference));
    ASSERT_TRUE(words.SetValueAt(2, 3, 9, ValueSet::Run));
    EXPECT_EQ(words.Find(2)->Run, kNone + "/" + kNone + "/" + kNone + "/9");
    EXPECT_FALSE(words.SetValueAt(2, 2, 9, ValueSet::Reference));
    EXPECT_EQ(words.Find(2)->Data, "1/2");
    ASSERT_TRUE(words.SetValueAt(2, 0, 65535, ValueSet::Reference));
    EXPECT_EQ(words.Find(2)->Data, "65535/2");
    EXPECT_FALSE(words.SetText(5, "1", ValueSet::Run)); // no word 5
    EXPECT_EQ(mesbo->Count(), 1u); // the second failure falls in the throttle period
}

TEST(Words, AddAcceptsAnExistingIdAndReplaceKeepsTheListOrder)
{
    ScopedMesbo mesbo;
    TWord words('g');
    ASSERT_TRUE(words.Add(4));
    ASSERT_TRUE(words.Add(1));
    SWord changed = *words.Find(4);
    EXPECT_EQ(changed.Tyre, -1);
    EXPECT_EQ(changed.Code, -1);
    changed.Name = "N";
    changed.FuncLink = MakeFuncLink(3, LinkFAddress);
    ASSERT_TRUE(words.Replace(changed));
    ASSERT_TRUE(words.Add(4));
    EXPECT_EQ(words.Count(), 2);
    EXPECT_EQ(words.At(0)->Name, "N");
    EXPECT_EQ(words.IdString(), std::string("\x04\x01"));
    EXPECT_EQ(FuncLinkNumber(words.FuncLinkOf(4)), 3);
    EXPECT_EQ(FuncLinkKinds(words.FuncLinkOf(4)), LinkFAddress);
    changed.Id = 9;
    EXPECT_FALSE(words.Replace(changed));
}

TEST(Words, MalformedNumbersStopTheLoadWithTheirSectionAndKey)
{
    TOWord words;
    try {
        words.Read(StoreOf("[OWORDS1]\r\nNAME=a\r\nTYRE=abc\r\n"), 1);
        FAIL() << "no error";
    } catch (const SectionFormatError &error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("OWORDS1"), std::string::npos) << text;
        EXPECT_NE(text.find("TYRE"), std::string::npos) << text;
        EXPECT_NE(text.find("abc"), std::string::npos) << text;
    }
    EXPECT_THROW(words.Read(StoreOf("[OWORDS1]\r\nDATA=1/x/3\r\n"), 3), SectionFormatError);
    EXPECT_THROW(words.Read(StoreOf("[OWORDS1]\r\nDATA=1//3\r\n"), 3), SectionFormatError);
    EXPECT_THROW(words.Read(StoreOf("[OWORDS1]\r\nTYPE=O\r\nOWAIT=10 минут\r\n"), 1),
                 SectionFormatError);
    EXPECT_NO_THROW(words.Read(StoreOf("[OWORDS1]\r\nTYRE=\r\nDATA=\r\n"), 3));
    // A standard word's wait limit is never looked at.
    EXPECT_NO_THROW(words.Read(StoreOf("[OWORDS1]\r\nTYPE=o\r\nOWAIT=?\r\n"), 1));
}

TEST(Words, GeneratorKindsAreDecidedInTableOrder)
{
    const auto word = [](int tyre, int code) {
        SWord w;
        w.Tyre = tyre;
        w.Code = code;
        return w;
    };
    EXPECT_EQ(GKindOf(word(1, -1)), GKind::Pulse); // Tyre 1 wins over the delay code
    EXPECT_EQ(GKindOf(word(2, -2)), GKind::Delay);
    EXPECT_EQ(GKindOf(word(2, 5)), GKind::Frequency);
    EXPECT_EQ(GKindOf(word(0, -10)), GKind::CountedCycle);
    EXPECT_EQ(GKindOf(word(0, -20)), GKind::ConditionalCycle);
    EXPECT_EQ(GKindOf(word(0, 3)), GKind::Undefined);
    EXPECT_EQ(GValueText(word(0, -1), 20), "20 мс");
    EXPECT_EQ(GValueText(word(0, -2), 20), "20 мкс");
    EXPECT_EQ(GValueText(word(0, -20), 3), "o3");
    EXPECT_EQ(GValueText(word(1, 7), 100), "100");
    EXPECT_EQ(GValueText(word(0, 3), 1), "Неопределённое g-слово");
}

TEST(Words, GeneratorListsGroupTheirWordsAndKeepConditionalCycleRuns)
{
    ScopedMesbo mesbo;
    TGWord words;
    words.Read(StoreOf("[GWORDS1]\r\nNAME=p\r\nTYRE=1\r\nCODE=12\r\nDATA=5\r\n"
                       "[GWORDS2]\r\nNAME=f\r\nTYRE=2\r\nCODE=13\r\nDATA=1000\r\n"
                       "[GWORDS3]\r\nNAME=d\r\nCODE=-1\r\nDATA=20\r\n"
                       "[GWORDS4]\r\nNAME=c\r\nCODE=-20\r\nDATA=2\r\n"
                       "[GWORDS5]\r\nNAME=n\r\nCODE=-10\r\nDATA=3\r\n"),
               1);
    EXPECT_EQ(words.IdString(GGroup::Pulse), "\x01");
    EXPECT_EQ(words.IdString(GGroup::Frequency), "\x02");
    EXPECT_EQ(words.IdString(GGroup::Delay), "\x03");
    EXPECT_EQ(words.IdString(GGroup::Cycle), "\x04\x05");
    EXPECT_EQ(words.PlainCount(), 3);
    EXPECT_EQ(words.CycleCount(), 2);
    EXPECT_TRUE(words.HasConditionalCycles());

    ASSERT_TRUE(words.SetGRun(4, 7, true));
    ASSERT_TRUE(words.SetGRun(4, 9, false));
    EXPECT_EQ(words.GRun(4), "7/9");
    std::int32_t value = 0;
    words.ResetGRunCursor();
    ASSERT_TRUE(words.NextGRun(4, value));
    EXPECT_EQ(value, 7);
    ASSERT_TRUE(words.NextGRun(4, value));
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(words.NextGRun(4, value));
    EXPECT_FALSE(words.SetGRun(5, 1, true)); // a counted cycle keeps no run values
    words.Clear();
    EXPECT_EQ(words.GRun(4), "");
}

TEST(Words, WordCodesNameTheirKindAndNumber)
{
    EXPECT_EQ(WordCodeText(12), "i12");
    EXPECT_EQ(WordCodeText(1003), "o3");
    EXPECT_EQ(WordCodeText(2001), "g1");
    EXPECT_EQ(WordCodeText(-1), "");
    EXPECT_EQ(MakeFuncLink(16, LinkPData2), (16 << 24) | 64);
}

TEST(WordValues, MergeKeepsReferenceValuesWhereTheRunHasNone)
{
    EXPECT_EQ(MergeRunValues("1/2/3", "4/" + kNone + "/6", -1), "4/2/6");
    EXPECT_EQ(MergeRunValues("1/2/3", "4/5/6", 1), "1/5/3");
    EXPECT_EQ(MergeRunValues("1/2", "4/5/6", -1), "4/5/6");
    EXPECT_EQ(MergeRunValues("1/2/3", "", -1), "1/2/3");
    EXPECT_EQ(CountValues(""), 0);
    EXPECT_EQ(CountValues("5"), 1);
    EXPECT_EQ(ParseValue("-12"), -12);
    EXPECT_EQ(ParseValue("+1"), std::nullopt);
    EXPECT_EQ(ParseValue("99999999999"), std::nullopt);
}

} // namespace
} // namespace qv
