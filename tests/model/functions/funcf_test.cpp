#include "model/core/records.h"
#include "model/functions/funcf.h"
#include "model/functions/funcs.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/funclinks.h"
#include "model/test/stest.h"
#include "support/model/initext.h"
#include "support/model/scopedmesbo.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

std::vector<std::string> Keys(const IniStore &ini, std::string_view section)
{
    return ini.ReadSection(section);
}

TEST(FuncList, AddKeepsOneRecordPerNumberInTheOrderAdded)
{
    TFuncF list;
    EXPECT_TRUE(list.Add(5));
    EXPECT_TRUE(list.Add(2));
    EXPECT_TRUE(list.Add(5));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Numbers(), std::string("\x05\x02"));
    EXPECT_EQ(list.IndexOf(2), 1);
    EXPECT_EQ(list.IndexOf(9), -1);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(2), nullptr);
    ASSERT_NE(list.ByNumber(2), nullptr);
    EXPECT_EQ(list.At(1), list.ByNumber(2));

    const SFuncF &added = *list.ByNumber(5);
    EXPECT_EQ(added.Type, -1);
    EXPECT_EQ(added.Reached, -1);
    EXPECT_FALSE(added.Error);
    EXPECT_EQ(added.AdrEnd, 0);
    EXPECT_TRUE(added.FileName.empty());
}

TEST(FuncList, ReplaceOfAnUnknownNumberIsAnInternalFailureThatChangesNothing)
{
    ScopedMesbo box;
    TFuncF list;
    list.Add(1);
    SFuncF stranger;
    stranger.Number = 4;
    stranger.Name = "чужая";
    EXPECT_FALSE(list.Replace(stranger));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.ByNumber(1)->Name.empty());
    ASSERT_EQ(box->ShownMessages().size(), 1u);
    EXPECT_EQ(box->ShownMessages()[0].caption, "Внутренний сбой работы программы");
}

TEST(FuncList, RestoreSnapshotUndoesEditsAndDropSnapshotKeepsThem)
{
    TFuncF list;
    list.Add(1);
    list.SetData(1, {1, 2, 3});
    list.Snapshot();
    list.ByNumber(1)->AdrEnd = 99;
    list.SetData(1, {9});
    list.Add(2);
    list.RestoreSnapshot();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.ByNumber(1)->AdrEnd, 0);
    const auto data = list.GetData(1);
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()),
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(list.HasSnapshot());

    list.Snapshot();
    list.ByNumber(1)->AdrEnd = 7;
    list.DropSnapshot();
    list.RestoreSnapshot(); // nothing to restore any more
    EXPECT_EQ(list.ByNumber(1)->AdrEnd, 7);
}

TEST(FuncF, LoadReadsOnlyNumbersOneToSixteenWithTheirDefaults)
{
    TFuncF list;
    STest test;
    list.LoadFromFile(IniOf("[FFUNCS3]\r\nNAME=ПЗУ\r\n[FFUNCS17]\r\nNAME=лишняя\r\n"), "FFUNCS",
                      WordLinksOf(test));
    ASSERT_EQ(list.Count(), 1);
    const SFuncF &f = *list.At(0);
    EXPECT_EQ(f.Number, 3);
    EXPECT_EQ(f.Name, "ПЗУ");
    EXPECT_EQ(f.Type, 0); // a loaded record reads TYPE 0 by default
    EXPECT_EQ(f.AdrWord, 0);
    EXPECT_EQ(f.Reached, -1);
}

TEST(FuncF, StarFileNameLoadsAsNoFile)
{
    TFuncF list;
    STest test;
    list.LoadFromFile(IniOf("[FFUNCS1]\r\nFILE=*\r\n"), "FFUNCS", WordLinksOf(test));
    EXPECT_EQ(list.At(0)->FileName, "");
    EXPECT_EQ(list.At(0)->SavedFileName, "");
    EXPECT_EQ(DataFileCaption(list.At(0)->FileName), "<не задано>");
}

TEST(FuncF, SaveWritesKeysInOrderAndTheFileValuesUnlessFunctionDataIsAsked)
{
    TFuncF list;
    STest test;
    list.LoadFromFile(IniOf("[FFUNCS2]\r\nDATW=1003\r\nADRW=4\r\nADRINC=1\r\nADREND=15\r\n"
                            "ADRSTART=0\r\nFILE=rom.dat\r\nTYPE=1\r\nNAME=f\r\n"),
                      "FFUNCS", WordLinksOf(test));
    SFuncF edited = *list.ByNumber(2);
    edited.AdrEnd = 7;
    edited.FileName = "new.dat";
    list.Replace(edited);

    IniStore plain;
    list.SaveToFile(plain, "FFUNCS", nullptr);
    EXPECT_EQ(Keys(plain, "FFUNCS2"),
              (std::vector<std::string>{"NAME", "TYPE", "FILE", "ADRSTART", "ADREND", "ADRINC",
                                        "ADRW", "DATW"}));
    EXPECT_EQ(plain.ReadString("FFUNCS2", "ADREND", ""), "15");
    EXPECT_EQ(plain.ReadString("FFUNCS2", "FILE", ""), "rom.dat");

    SSaveParam debugSave;
    debugSave.Kinds = SSaveParam::KindDebugData | SSaveParam::KindVData;
    IniStore withoutKind;
    list.SaveToFile(withoutKind, "FFUNCS", &debugSave);
    EXPECT_EQ(withoutKind.ReadString("FFUNCS2", "ADREND", ""), "15");

    debugSave.Kinds |= SSaveParam::KindFuncData;
    IniStore withKind;
    list.SaveToFile(withKind, "FFUNCS", &debugSave);
    EXPECT_EQ(withKind.ReadString("FFUNCS2", "ADREND", ""), "7");
    EXPECT_EQ(withKind.ReadString("FFUNCS2", "FILE", ""), "new.dat");
    EXPECT_EQ(withKind.ReadString("FFUNCS2", "DATW", ""), "1003");
}

TEST(FuncF, LoadingMarksTheAddressWordOfEachKind)
{
    STest test;
    test.IWords.Add(7);
    test.OWords.Add(5);
    test.GWords.Add(3);
    TFuncF list;
    list.LoadFromFile(IniOf("[FFUNCS1]\r\nADRW=7\r\n[FFUNCS2]\r\nADRW=1005\r\n"
                            "[FFUNCS9]\r\nADRW=2003\r\n[FFUNCS4]\r\nADRW=2500\r\n"),
                      "FFUNCS", WordLinksOf(test));
    EXPECT_EQ(test.IWords.FuncLinkOf(7), (1 << 24) | 1);
    EXPECT_EQ(test.OWords.FuncLinkOf(5), (2 << 24) | 1);
    EXPECT_EQ(test.GWords.FuncLinkOf(3), (9 << 24) | 1);
    // g-word 500 cannot exist: the function still loads.
    EXPECT_NE(list.ByNumber(4), nullptr);
}

TEST(FuncF, NonNumericValuesFailTheLoadNamingSectionAndKey)
{
    STest test;
    TFuncF list;
    try {
        list.LoadFromFile(IniOf("[FFUNCS1]\r\nADRW=i7\r\n"), "FFUNCS", WordLinksOf(test));
        FAIL() << "no error";
    } catch (const SectionFormatError &error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("FFUNCS1"), std::string::npos) << text;
        EXPECT_NE(text.find("ADRW"), std::string::npos) << text;
    }
    EXPECT_THROW(
        list.LoadFromFile(IniOf("[FFUNCS2]\r\nADREND=12abc\r\n"), "FFUNCS", WordLinksOf(test)),
        SectionFormatError);
}

TEST(FuncF, TypeNameAndRunResults)
{
    TFuncF list;
    for (int n = 1; n <= 4; ++n)
        list.Add(n);
    for (int n = 1; n <= 3; ++n)
        list.ByNumber(n)->Type = n - 1;
    list.ByNumber(4)->Type = 7;
    EXPECT_EQ(list.TypeName(1), "FW");
    EXPECT_EQ(list.TypeName(2), "FR");
    EXPECT_EQ(list.TypeName(3), "FC");
    EXPECT_EQ(list.TypeName(4), "F");
    EXPECT_EQ(list.TypeName(5), "NONE");

    list.SetReached(2, 40);
    list.ByNumber(2)->Error = true;
    list.SetData(2, {7, 7});
    EXPECT_TRUE(list.HasError(2));
    EXPECT_FALSE(list.HasError(12));
    EXPECT_EQ(list.ByNumber(2)->DataSize(), 2);
    list.ResetRunResults();
    EXPECT_EQ(list.ByNumber(2)->Reached, -1);
    EXPECT_FALSE(list.HasError(2));
    EXPECT_TRUE(list.GetData(2).empty());
}

TEST(FuncF, DataFileElementsFollowTheDataWordWidth)
{
    EXPECT_EQ(DataElementSize(8), 1);
    EXPECT_EQ(DataElementSize(12), 2);
    EXPECT_EQ(DataElementSize(0), 1);
    const std::vector<std::uint8_t> file = {0, 0, 1, 0, 2, 0, 0x34, 0x12, 0xFF};
    SFuncF f;
    f.AdrStart = 0x100;
    EXPECT_EQ(DataElementOffset(f, 0x103, 2), 6);
    EXPECT_EQ(DataElementAt(file, 3, 2), 0x1234u);
    EXPECT_EQ(DataElementAt(file, 4, 2), std::nullopt); // one odd byte is no element
    EXPECT_EQ(DataElementAt(file, 8, 1), 0xFFu);
    EXPECT_EQ(DataElementOffset(f, 0xFF, 2), -1);
    EXPECT_EQ(DataFilePath("/boards/a/DEMO.QOR", "rom.dat"), "/boards/a/rom.dat");
    EXPECT_TRUE(DataFilePath("/boards/a/DEMO.QOR", "").empty());
}

TEST(FuncF, OnlyAWriteToFileThatReachedTheEndGoesToTheFile)
{
    SFuncF f;
    f.Type = DirWriteFile;
    f.AdrEnd = 15;
    f.Reached = 15;
    EXPECT_TRUE(RunBlockGoesToFile(f));
    f.Reached = 14;
    EXPECT_FALSE(RunBlockGoesToFile(f));
    f.Reached = 15;
    f.Type = DirCompareFile;
    EXPECT_FALSE(RunBlockGoesToFile(f));

    SFuncS s;
    s.Mode = DirWriteFile;
    s.NumBytes = 0;
    s.Reached = 3;
    EXPECT_TRUE(RunBlockGoesToFile(s));
    s.NumBytes = 10;
    EXPECT_FALSE(RunBlockGoesToFile(s));
    s.Reached = 10;
    s.Mode = DirReadFile;
    EXPECT_FALSE(RunBlockGoesToFile(s));
}

TEST(FuncS, MissingKeysTakeTheirDefaults)
{
    TFuncS list;
    list.LoadFromFile(IniOf("[SFUNCS1]\r\nNAME=порт\r\n"), "SFUNCS");
    const SFuncS &s = *list.At(0);
    EXPECT_EQ(s.FileName, "0");
    EXPECT_EQ(s.NumBytes, 1);
    EXPECT_EQ(s.Interface, IfaceRs232);
    EXPECT_EQ(s.Serial(), (SSerialParams{19200, 8, 0, 1, 0}));
    EXPECT_EQ(s.SavedSerial, s.Serial());
    EXPECT_EQ(s.SavedFileName, "0");
}

TEST(FuncS, SaveWritesKeysInOrderWithSavedOrWorkingSerialValues)
{
    TFuncS list;
    list.LoadFromFile(IniOf("[SFUNCS2]\r\nHANDLING=1\r\nSPEED=9600\r\nTYPE=1\r\nWMODE=2\r\n"
                            "NBYTES=0\r\nFILE=s.dat\r\n"),
                      "SFUNCS");
    list.ByNumber(2)->Speed = 115200;
    IniStore saved;
    list.SaveToFile(saved, "SFUNCS", nullptr);
    EXPECT_EQ(Keys(saved, "SFUNCS2"),
              (std::vector<std::string>{"NAME", "TYPE", "WMODE", "NBYTES", "FILE", "SPEED",
                                        "BITDATA", "PARITY", "STOPBIT", "HANDLING"}));
    EXPECT_EQ(saved.ReadString("SFUNCS2", "SPEED", ""), "9600");
    EXPECT_EQ(saved.ReadString("SFUNCS2", "HANDLING", ""), "1");

    SSaveParam param;
    param.Kinds = SSaveParam::KindFuncData;
    IniStore working;
    list.SaveToFile(working, "SFUNCS", &param);
    EXPECT_EQ(working.ReadString("SFUNCS2", "SPEED", ""), "115200");
}

TEST(FuncS, AnInterfaceWithoutSerialParametersIsReportedAndKept)
{
    ScopedMesbo box;
    TFuncS list;
    list.LoadFromFile(IniOf("[SFUNCS1]\r\nTYPE=2\r\nSPEED=9600\r\n"), "SFUNCS");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0)->Speed, 0); // not read for I2C
    IniStore saved;
    list.SaveToFile(saved, "SFUNCS", nullptr);
    EXPECT_FALSE(saved.ValueExists("SFUNCS1", "SPEED"));
    ASSERT_EQ(box->Count(), 2u);
    EXPECT_EQ(box->ShownMessages()[0].text, "Unknown type - TFuncS::LoadFromFile");
    EXPECT_EQ(box->ShownMessages()[1].text, "Unknown type - TFuncS::SaveToFile");
    EXPECT_EQ(SerialInterfaceName(IfaceIrps), "ИРПС");
    EXPECT_EQ(ParityName(4), "Маркер (1)");
    EXPECT_EQ(FlowControlName(3), "");
}

} // namespace
} // namespace qv
