#include "infra/encoding.h"
#include "infra/messages.h"
#include "model/core/records.h"
#include "model/file/scofollow.h"
#include "model/functions/funcv.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/sqor.h"
#include "model/test/testfunctions.h"
#include "model/test/testsections.h"
#include "support/common/tempdir.h"
#include "support/model/initext.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>

namespace qv {
namespace {

using testing::ReadBytes;

WaveformRef Flat(std::uint8_t level)
{
    auto samples = std::make_shared<Waveform>();
    samples->fill(level);
    return samples;
}

SVFuncInput Input(std::string name, std::int32_t number)
{
    SVFuncInput input;
    input.Name = std::move(name);
    input.Sweep = 3;
    input.Amplitude = 1;
    input.Tact = 2;
    input.Number = number;
    return input;
}

TEST(FuncV, CycleDigitsRepeatTheLastOneOrTakeTheDefault)
{
    const auto sweep = ReadCycleDigits("VFUNCS1", "VSWEEP", "3A", kDefaultSweep);
    EXPECT_EQ(sweep[0], 3);
    for (std::size_t c = 1; c < sweep.size(); ++c)
        EXPECT_EQ(sweep[c], 10);
    const auto scale = ReadCycleDigits("VFUNCS1", "VDIV", "", kDefaultAmplitude);
    EXPECT_EQ(scale,
              (std::array<std::int32_t, kVCycles>{2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(AmplitudeText(scale[0]), "25");
    EXPECT_EQ(CycleDigitsText(sweep), "3AAAAAAAAAAAAAAA");
    // Digits past the sixteenth are not read.
    EXPECT_EQ(ReadCycleDigits("s", "k", "0123456789ABCDEF5", 4)[15], 15);
    EXPECT_THROW(ReadCycleDigits("VFUNCS1", "VSWEEP", "3G", kDefaultSweep), SectionFormatError);
}

TEST(FuncV, InfoLinesTravelAsSingleBellBytes)
{
    EXPECT_EQ(InfoToFile("первая\r\nвторая"), "первая\x07вторая");
    EXPECT_EQ(InfoFromFile("первая\x07вторая"), "первая\r\nвторая");
}

TEST(FuncV, LoadAndSaveKeepKeysAndTheValuesReadUnlessACaptureIsKept)
{
    SScoFile sco;
    testing::TempDir dir;
    TFuncV list;
    // No oscillogram file: the functions load, the failure is reported.
    EXPECT_FALSE(list.LoadFromFile(IniOf("[VFUNCS2]\r\nVDIV=1\r\nVSWEEP=3A\r\nINFO=a\x07"
                                         "b\r\nTACT=5\r\nNAME=сигнал\r\n"),
                                   "VFUNCS", dir.File("none.sco"), 0, sco));
    EXPECT_EQ(list.FailureText(), ScoFailureMessage(ScoReadError::Read, dir.File("none.sco")));
    SFuncV &v = *list.ByNumber(2);
    EXPECT_EQ(v.Info, "a\r\nb");
    EXPECT_EQ(v.Tact, 5);
    v.Sweep[0] = 7;
    v.Name = "новое";

    SSaveParam param;
    param.Kinds = SSaveParam::KindVData;
    IniStore plain;
    list.SaveToFile(plain, "VFUNCS", 0, &param, sco);
    EXPECT_EQ(plain.ReadSection("VFUNCS2"),
              (std::vector<std::string>{"NAME", "TACT", "INFO", "VSWEEP", "VDIV"}));
    EXPECT_EQ(plain.ReadString("VFUNCS2", "VSWEEP", ""), "3AAAAAAAAAAAAAAA");
    EXPECT_EQ(plain.ReadString("VFUNCS2", "NAME", ""), "сигнал");
    EXPECT_EQ(plain.ReadString("VFUNCS2", "INFO", ""), "a\x07"
                                                       "b");
    EXPECT_EQ(plain.ReadString("VFUNCS2", "VDIV", ""), "1111111111111111");

    v.KeepCapture[4] = true;
    IniStore working;
    list.SaveToFile(working, "VFUNCS", 0, &param, sco);
    EXPECT_EQ(working.ReadString("VFUNCS2", "VSWEEP", ""), "7AAAAAAAAAAAAAAA");
    EXPECT_EQ(working.ReadString("VFUNCS2", "NAME", ""), "новое");

    IniStore withoutKind;
    list.SaveToFile(withoutKind, "VFUNCS", 0, nullptr, sco);
    EXPECT_EQ(withoutKind.ReadString("VFUNCS2", "VSWEEP", ""), "3AAAAAAAAAAAAAAA");
}

TEST(FuncV, AddPresetsTheLowestFreeNumberAndListsTheFreeOnes)
{
    TFuncV list;
    std::string refusal;
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(list.AddFunction(Input("f", n), 10, &refusal)) << refusal;
    EXPECT_EQ(list.LowestFreeNumber(), 4);
    ASSERT_TRUE(list.AddFunction(Input("f", 6), 10, &refusal));
    EXPECT_TRUE(list.FreeNumbersText().starts_with("Допустимые номера: 4, 5, 7, 8,"))
        << list.FreeNumbersText();
    for (int n = 1; n <= 16; ++n)
        list.AddFunction(Input("f", n), 10, &refusal);
    EXPECT_EQ(list.LowestFreeNumber(), std::nullopt);
    EXPECT_EQ(list.FreeNumbersText(), "Допустимые номера: ");
}

TEST(FuncV, AddingUnderAUsedNumberReplacesItsSettingsAndDropsItsWaveforms)
{
    TFuncV list;
    std::string refusal;
    ASSERT_TRUE(list.AddFunction(Input("старая", 2), 10, &refusal));
    list.ByNumber(2)->Reference[0] = Flat(1);
    list.ByNumber(2)->Captured[1] = Flat(2);
    SVFuncInput input = Input("новая", 2);
    input.Sweep = 12;
    input.Amplitude = 3;
    input.Tact = 10;
    input.Info = "строка\r\n\r\n";
    ASSERT_TRUE(list.AddFunction(input, 10, &refusal));
    ASSERT_EQ(list.Count(), 1);
    const SFuncV &v = *list.ByNumber(2);
    EXPECT_EQ(v.Name, "новая");
    EXPECT_EQ(v.SavedName, "новая");
    EXPECT_EQ(v.Tact, 9);
    EXPECT_EQ(v.Sweep[15], 12);
    EXPECT_EQ(v.SavedScale[0], 3);
    EXPECT_EQ(v.Info, "строка");
    EXPECT_EQ(v.Reference[0], nullptr);
    EXPECT_EQ(v.Captured[1], nullptr);
}

TEST(FuncV, AddRefusesBlankFieldsTactsOutsideTheTestAndAHundredthFunction)
{
    TFuncV list;
    std::string refusal;
    SVFuncInput blank = Input("", 1);
    EXPECT_FALSE(list.AddFunction(blank, 10, &refusal));
    EXPECT_EQ(refusal, Msg(52));
    SVFuncInput noSweep = Input("f", 1);
    noSweep.Sweep.reset();
    EXPECT_FALSE(list.AddFunction(noSweep, 10, &refusal));
    EXPECT_EQ(refusal, Msg(52));
    EXPECT_FALSE(list.AddFunction(Input("f", 1), 1, &refusal)); // tact 2 of 1
    EXPECT_EQ(refusal, Msg(53));
    EXPECT_EQ(list.Count(), 0);

    for (int n = 1; n <= kMaxVFunctions; ++n)
        ASSERT_TRUE(list.AddFunction(Input("f", n), 10, &refusal));
    EXPECT_FALSE(list.AddFunction(Input("f", 5), 10, &refusal));
    EXPECT_EQ(refusal, "Невозможно добавить V - функцию. " + Msg(51) + " функций");
    EXPECT_EQ(list.Numbers().size(), 99u);
}

TEST(FuncV, DeleteSwapAndSnapshotKeepNumbersAndTheActiveFunction)
{
    TFuncV list;
    std::string refusal;
    for (int n = 1; n <= 3; ++n)
        list.AddFunction(Input("f" + std::to_string(n), n), 10, &refusal);
    list.ByNumber(1)->Reference[0] = Flat(9);
    ASSERT_TRUE(list.Swap(1, 3));
    EXPECT_EQ(list.Numbers(), std::string("\x01\x02\x03"));
    EXPECT_EQ(list.ByNumber(1)->Name, "f3");
    EXPECT_EQ(list.ByNumber(3)->Name, "f1");
    EXPECT_NE(list.ByNumber(3)->Reference[0], nullptr);
    EXPECT_FALSE(list.Swap(1, 7));

    list.SetActive(2);
    list.Snapshot();
    EXPECT_TRUE(list.Delete(2));
    EXPECT_EQ(list.Active(), 0);
    EXPECT_EQ(list.Numbers(), std::string("\x01\x03"));
    list.RestoreSnapshot();
    EXPECT_EQ(list.Active(), 2);
    EXPECT_EQ(list.Numbers(), std::string("\x01\x02\x03"));
    EXPECT_FALSE(list.Delete(8));
}

// Two V-functions of test 1 with references in cycles 1 and 2, written to
// the oscillogram file beside a test file in dir.
struct ScoFixture
{
    testing::TempDir dir;
    std::string qor = dir.File("board.QOR");
    std::string scoPath = dir.File("board.sco");
    IniStore block = IniOf("[VFUNCS1]\r\nNAME=a\r\nVSWEEP=1\r\nVDIV=0\r\n"
                           "[VFUNCS2]\r\nNAME=b\r\nVSWEEP=2\r\nVDIV=3\r\n");

    ScoFixture()
    {
        SScoFile &sco = ScoFile();
        sco.ResetScoState();
        for (int f = 1; f <= 2; ++f) {
            for (int c = 1; c <= 2; ++c)
                sco.StageWaveform(1, f, c, *Flat(static_cast<std::uint8_t>(10 * f + c)), 1, 0);
        }
        EXPECT_TRUE(sco.WriteScoFile(scoPath));
    }

    STest Load(std::vector<std::string> *shown = nullptr)
    {
        STest test;
        TestReadContext context;
        context.oscillogramPath = scoPath;
        context.showError = [shown](const std::string &text) {
            if (shown)
                shown->push_back(text);
        };
        ReadVFunctions(block, test, context);
        return test;
    }

    std::string Save(const STest &test, const SSaveParam *param)
    {
        IniStore out;
        WriteVFunctions(out, test, 0, param);
        std::string error;
        EXPECT_TRUE(FinishTestFileSave(true, qor, &error)) << error;
        return ReadBytes(scoPath);
    }
};

TEST(FuncVOscillograms, ReferencesAreTakenForTheirTestFunctionAndCycle)
{
    ScoFixture fixture;
    STest test = fixture.Load();
    FinishTestFileLoad();
    const SFuncV &b = *test.VFuncs.ByNumber(2);
    ASSERT_NE(b.Reference[1], nullptr);
    EXPECT_EQ((*b.Reference[1])[0], 22);
    EXPECT_EQ(b.Reference[2], nullptr);
    EXPECT_EQ(ScoFile().RecordCount(), 0u); // released after the load
}

TEST(FuncVOscillograms, ASaveWithoutVDataStagesNothingAndLeavesTheFile)
{
    ScoFixture fixture;
    STest test = fixture.Load();
    FinishTestFileLoad();
    const std::string before = ReadBytes(fixture.scoPath);
    test.VFuncs.ByNumber(1)->Captured[0] = Flat(200);
    test.VFuncs.ByNumber(1)->KeepCapture[0] = true;
    SSaveParam param; // Kinds without V data
    param.Kinds = SSaveParam::KindFuncData;
    EXPECT_EQ(fixture.Save(test, &param), before);
    EXPECT_EQ(fixture.Save(test, nullptr), before);
}

TEST(FuncVOscillograms, AKeptCaptureReplacesItsCycleAndTheOtherReferencesStay)
{
    ScoFixture fixture;
    STest test = fixture.Load();
    FinishTestFileLoad();
    test.VFuncs.ByNumber(1)->Captured[2] = Flat(200);
    test.VFuncs.ByNumber(1)->KeepCapture[2] = true;
    test.VFuncs.ByNumber(2)->Captured[0] = Flat(201); // not kept: the reference stays
    SSaveParam param;
    param.Kinds = SSaveParam::KindVData;
    param.Test = -1;
    fixture.Save(test, &param);

    STest reloaded = fixture.Load();
    FinishTestFileLoad();
    const SFuncV &a = *reloaded.VFuncs.ByNumber(1);
    ASSERT_NE(a.Reference[2], nullptr);
    EXPECT_EQ((*a.Reference[2])[0], 200);
    EXPECT_EQ((*a.Reference[0])[0], 11);
    EXPECT_EQ((*reloaded.VFuncs.ByNumber(2)->Reference[0])[0], 21);
}

TEST(FuncVOscillograms, OnlyTheChosenTestAndCycleTakeTheirCaptures)
{
    ScoFixture fixture;
    STest test = fixture.Load();
    FinishTestFileLoad();
    SFuncV &a = *test.VFuncs.ByNumber(1);
    a.Captured[0] = Flat(150);
    a.KeepCapture[0] = true;
    a.Captured[1] = Flat(151);
    a.KeepCapture[1] = true;
    SSaveParam param;
    param.Kinds = SSaveParam::KindVData;
    param.Test = 0;
    param.Cycle = 1;
    fixture.Save(test, &param);

    STest reloaded = fixture.Load();
    FinishTestFileLoad();
    EXPECT_EQ((*reloaded.VFuncs.ByNumber(1)->Reference[0])[0], 11);  // cycle 0 not chosen
    EXPECT_EQ((*reloaded.VFuncs.ByNumber(1)->Reference[1])[0], 151); // cycle 1 chosen
}

TEST(FuncVOscillograms, ADamagedFileIsReportedOnceAndTheLoadGoesOnWithoutReferences)
{
    ScoFixture fixture;
    std::string bytes = ReadBytes(fixture.scoPath);
    bytes[40] ^= 0x10;
    {
        std::ofstream out(fixture.scoPath, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::vector<std::string> shown;
    STest first = fixture.Load(&shown);
    TestReadContext second;
    second.testIndex = 1;
    second.oscillogramPath = fixture.scoPath;
    second.showError = [&](const std::string &text) { shown.push_back(text); };
    STest other;
    ReadVFunctions(fixture.block, other, second);
    FinishTestFileLoad();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], ScoFailureMessage(ScoReadError::Checksum, fixture.scoPath));
    EXPECT_EQ(first.VFuncs.Count(), 2);
    EXPECT_EQ(first.VFuncs.ByNumber(1)->Reference[0], nullptr);
}

TEST(FuncVOscillograms, AFailedSaveDropsWhatItStaged)
{
    ScoFixture fixture;
    STest test = fixture.Load();
    FinishTestFileLoad();
    const std::string before = ReadBytes(fixture.scoPath);
    SSaveParam param;
    param.Kinds = SSaveParam::KindVData;
    IniStore out;
    WriteVFunctions(out, test, 0, &param);
    EXPECT_GT(ScoFile().StagedCount(), 0u);
    EXPECT_TRUE(FinishTestFileSave(false, fixture.qor));
    EXPECT_EQ(ScoFile().StagedCount(), 0u);
    EXPECT_EQ(ReadBytes(fixture.scoPath), before);
}

// The fixture's file plus records the load never hands to test 1's
// functions 1..16: another test, function 17, cycle 17.
struct FollowFixture : ScoFixture
{
    FollowFixture()
    {
        std::vector<SScoRecord> records;
        EXPECT_EQ(ParseScoBytes(ReadBytes(scoPath), records), ScoReadError::None);
        for (const auto &[test, function, cycle] : {std::tuple{2, 1, 1}, {1, 17, 1}, {1, 1, 17}})
            records.push_back({ScoRecordName(test, function, cycle), *Flat(99), {7, 2, 2, 0, 9}});
        testing::WriteBytes(scoPath, BuildScoBytes(records));
        doc.NTest = 1;
        doc.Tests[0] = std::make_unique<STest>(Load());
        FinishTestFileLoad();
    }

    TFuncV &List() { return doc.Tests[0]->VFuncs; }

    // Record name -> first sample, in file order.
    std::vector<std::pair<std::string, int>> Stored()
    {
        std::vector<SScoRecord> records;
        EXPECT_EQ(ParseScoBytes(ReadBytes(scoPath), records), ScoReadError::None);
        std::vector<std::pair<std::string, int>> names;
        for (const SScoRecord &record : records)
            names.emplace_back(Cp1251ToUtf8(record.name), record.samples[0]);
        return names;
    }

    SQor doc;
};

TEST(FuncVOscillograms, AfterASwapTheRecordsFollowTheFunctionsAndRecordsNeverReadStay)
{
    FollowFixture fixture;
    const std::string before = ReadBytes(fixture.scoPath);
    std::string error;
    // Nothing changed: the file stays as it is.
    std::vector<SScoRecord> stored;
    ASSERT_EQ(ParseScoBytes(before, stored), ScoReadError::None);
    EXPECT_FALSE(RecordsFollowingFunctions(stored, HeldReferences(fixture.doc), 1));
    EXPECT_TRUE(KeepReferencesWithFunctions(fixture.doc, fixture.scoPath, &error)) << error;
    EXPECT_EQ(ReadBytes(fixture.scoPath), before);

    ASSERT_TRUE(fixture.List().Swap(1, 2));
    EXPECT_TRUE(KeepReferencesWithFunctions(fixture.doc, fixture.scoPath, &error)) << error;
    using Stored = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(fixture.Stored(), (Stored{{"T1_v1_ц1", 21},
                                        {"T1_v1_ц2", 22},
                                        {"T1_v2_ц1", 11},
                                        {"T1_v2_ц2", 12},
                                        {"T2_v1_ц1", 99},
                                        {"T1_v17_ц1", 99},
                                        {"T1_v1_ц17", 99}}));
    // A record kept keeps its parameter block; a moved one takes its
    // function's (sweep 2, amplitude 3 for the former function 2).
    std::vector<SScoRecord> records;
    ASSERT_EQ(ParseScoBytes(ReadBytes(fixture.scoPath), records), ScoReadError::None);
    EXPECT_EQ(records[0].params, ScoParamBlock(2, 3));
    EXPECT_EQ(records[4].params, (ScoParams{7, 2, 2, 0, 9}));

    // The load of the rewritten file gives each function its own waveform.
    ScoFile().ResetScoState();
    STest reloaded = fixture.Load();
    FinishTestFileLoad();
    EXPECT_EQ((*reloaded.VFuncs.ByNumber(1)->Reference[0])[0], 21);
    EXPECT_EQ((*reloaded.VFuncs.ByNumber(2)->Reference[1])[0], 12);
}

TEST(FuncVOscillograms, ADeletedOrReplacedFunctionTakesItsRecordsAlong)
{
    FollowFixture fixture;
    std::string error;
    ASSERT_TRUE(fixture.List().Delete(2));
    // Function 1 replaced under its number: it has no waveform any more.
    std::string refusal;
    ASSERT_TRUE(fixture.List().AddFunction(Input("new", 1), 5, &refusal)) << refusal;
    EXPECT_TRUE(KeepReferencesWithFunctions(fixture.doc, fixture.scoPath, &error)) << error;
    using Stored = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(fixture.Stored(), (Stored{{"T2_v1_ц1", 99}, {"T1_v17_ц1", 99}, {"T1_v1_ц17", 99}}));
}

TEST(FuncVOscillograms, AFileTheLoadOrTheSaveCannotReadIsLeftAsItIs)
{
    {
        FollowFixture fixture;
        std::string bytes = ReadBytes(fixture.scoPath);
        bytes[40] ^= 0x10;
        testing::WriteBytes(fixture.scoPath, bytes);
        ASSERT_TRUE(fixture.List().Delete(1));
        EXPECT_TRUE(KeepReferencesWithFunctions(fixture.doc, fixture.scoPath, nullptr));
        EXPECT_EQ(ReadBytes(fixture.scoPath), bytes);
    }
    // Damaged at the load, repaired since: the functions hold no references,
    // and that must not empty the file.
    FollowFixture fixture;
    const std::string good = ReadBytes(fixture.scoPath);
    std::string bytes = good;
    bytes[40] ^= 0x10;
    testing::WriteBytes(fixture.scoPath, bytes);
    fixture.doc.Tests[0] = std::make_unique<STest>(fixture.Load());
    FinishTestFileLoad();
    ASSERT_FALSE(fixture.List().FailureText().empty());
    testing::WriteBytes(fixture.scoPath, good);
    EXPECT_TRUE(KeepReferencesWithFunctions(fixture.doc, fixture.scoPath, nullptr));
    EXPECT_EQ(ReadBytes(fixture.scoPath), good);
}

} // namespace
} // namespace qv
