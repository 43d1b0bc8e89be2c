#include "model/core/records.h"
#include "model/functions/funcaddress.h"
#include "model/functions/funcm.h"
#include "model/functions/prog.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/funclinks.h"
#include "model/test/stest.h"
#include "model/test/testfunctions.h"
#include "model/words/tyreadr.h"
#include "support/model/initext.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A test with input words 1..8 and output words 1..2, word n on bus n - 1.
STest TestWithWords()
{
    STest test;
    for (int id = 1; id <= 8; ++id) {
        test.IWords.Add(id);
        test.IWords.Find(id)->Tyre = id - 1;
    }
    test.OWords.Add(1);
    test.OWords.Add(2);
    return test;
}

TEST(FuncM, SingleAddressWordsLoadAndSaveWithoutHighKeys)
{
    STest test = TestWithWords();
    TFuncM list;
    list.LoadFromFile(IniOf("[MFUNCS1]\r\nNAME=ОЗУ\r\nADRSTART=-2\r\nADREND=255\r\nADRINC=1\r\n"
                            "ALG=5\r\nADRW=i7\r\nDATW=2\r\nADRR=i3\r\nDATR=1\r\n"),
                      "MFUNCS", WordLinksOf(test));
    const SFuncM &m = *list.ByNumber(1);
    EXPECT_EQ(m.AdrWrite, 7);
    EXPECT_EQ(m.AdrWrite2, 0);
    EXPECT_EQ(m.AdrRead, 3);
    EXPECT_EQ(m.AdrStart, -2); // widened with its sign
    EXPECT_EQ(m.WritePos, -2);
    EXPECT_EQ(m.SavedAlg, 5);
    EXPECT_EQ(m.Status[0], kAlgorithmNotRun);

    IniStore saved;
    list.SaveToFile(saved, "MFUNCS", nullptr);
    EXPECT_EQ(saved.ReadSection("MFUNCS1"),
              (std::vector<std::string>{"NAME", "ADRSTART", "ADREND", "ADRINC", "ALG", "ADRW",
                                        "DATW", "ADRR", "DATR"}));
    EXPECT_EQ(saved.ReadString("MFUNCS1", "ADRW", ""), "i7");
    EXPECT_EQ(saved.ReadString("MFUNCS1", "ADRSTART", ""), "-2");

    EXPECT_EQ(test.IWords.FuncLinkOf(7), (1 << 24) | 2);
    EXPECT_EQ(test.IWords.FuncLinkOf(3), (1 << 24) | 2);
}

TEST(FuncM, TwoPartAddressesLinkTheirHighWordsAndSurviveASave)
{
    STest test = TestWithWords();
    TFuncM list;
    list.LoadFromFile(IniOf("[MFUNCS4]\r\nADRW=i1\r\nADRW2=i2\r\nADRR=i5\r\nADRR2=i6\r\n"),
                      "MFUNCS", WordLinksOf(test));
    EXPECT_EQ(test.IWords.FuncLinkOf(1), (4 << 24) | 2);
    EXPECT_EQ(test.IWords.FuncLinkOf(2), (4 << 24) | 4);
    EXPECT_EQ(test.IWords.FuncLinkOf(6), (4 << 24) | 4);
    IniStore saved;
    list.SaveToFile(saved, "MFUNCS", nullptr);
    EXPECT_EQ(saved.ReadSection("MFUNCS4"),
              (std::vector<std::string>{"NAME", "ADRSTART", "ADREND", "ADRINC", "ALG", "ADRW",
                                        "ADRW2", "DATW", "ADRR", "ADRR2", "DATR"}));
    EXPECT_EQ(saved.ReadString("MFUNCS4", "ADRR2", ""), "i6");
    EXPECT_EQ(WriteAddressText(*list.ByNumber(4)), "i1 (L) / i2 (H)");
    EXPECT_EQ(ReadAddressText(*list.ByNumber(4)), "i5 (L) / i6 (H)");
}

TEST(FuncM, MissingOrMalformedAddressWordsFailTheLoad)
{
    STest test = TestWithWords();
    TFuncM list;
    EXPECT_THROW(list.LoadFromFile(IniOf("[MFUNCS1]\r\nADRW=i1\r\n"), "MFUNCS", WordLinksOf(test)),
                 SectionFormatError);
    EXPECT_THROW(
        list.LoadFromFile(IniOf("[MFUNCS1]\r\nADRW=i\r\nADRR=i2\r\n"), "MFUNCS", WordLinksOf(test)),
        SectionFormatError);
    EXPECT_THROW(list.LoadFromFile(IniOf("[MFUNCS1]\r\nADRW=i1\r\nADRR=i2\r\nADRR2=x9z\r\n"),
                                   "MFUNCS", WordLinksOf(test)),
                 SectionFormatError);
}

TEST(FuncM, WorkingValuesAreWrittenOnlyWithFunctionData)
{
    STest test = TestWithWords();
    TFuncM list;
    list.LoadFromFile(
        IniOf("[MFUNCS1]\r\nADRSTART=0\r\nADREND=100\r\nALG=1\r\nADRW=i1\r\nADRR=i1\r\n"), "MFUNCS",
        WordLinksOf(test));
    list.ByNumber(1)->AdrEnd = 50;
    list.ByNumber(1)->Alg = 63;
    IniStore plain;
    list.SaveToFile(plain, "MFUNCS", nullptr);
    EXPECT_EQ(plain.ReadString("MFUNCS1", "ADREND", ""), "100");
    EXPECT_EQ(plain.ReadString("MFUNCS1", "ALG", ""), "1");
    SSaveParam param;
    param.Kinds = SSaveParam::KindFuncData;
    IniStore working;
    list.SaveToFile(working, "MFUNCS", &param);
    EXPECT_EQ(working.ReadString("MFUNCS1", "ADREND", ""), "50");
    EXPECT_EQ(working.ReadString("MFUNCS1", "ALG", ""), "63");
}

TEST(FuncM, AlgorithmNamesFollowTheMaskBits)
{
    const int alg = 5;
    std::vector<std::string_view> names;
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
        if (alg & (1 << bit))
            names.push_back(MemoryAlgorithmName(bit));
    }
    EXPECT_EQ(names, (std::vector<std::string_view>{"Тест буферов", "Марш-тест"}));
    EXPECT_EQ(MemoryAlgorithmName(6), "");
}

TEST(FuncM, RunResetAndLeavingDebugModeRestoreTheFileRange)
{
    STest test = TestWithWords();
    test.MFuncs.LoadFromFile(
        IniOf("[MFUNCS1]\r\nADRSTART=16\r\nADREND=32\r\nADRW=i1\r\nADRR=i1\r\n"), "MFUNCS",
        WordLinksOf(test));
    SFuncM &m = *test.MFuncs.ByNumber(1);
    m.AdrStart = 20;
    m.AdrEnd = 24;
    m.WritePos = 22;
    m.Status = {1, 1, 1, 1, 1, 1};
    m.Error = true;
    ResetFunctionRunResults(test);
    EXPECT_FALSE(m.Error);
    EXPECT_EQ(m.Status[5], kAlgorithmNotRun);
    EXPECT_EQ(m.WritePos, 20);
    RestoreMFunctionRanges(test);
    EXPECT_EQ(m.AdrStart, 16);
    EXPECT_EQ(m.AdrEnd, 32);
    EXPECT_EQ(m.ReadPos, 16);
}

TEST(Prog, StarFileShowsNoFileButIsWrittenBackWithoutFunctionData)
{
    STest test = TestWithWords();
    TProg list;
    list.LoadFromFile(IniOf("[PFUNCS1]\r\nFILE=*\r\nADRW=g3\r\nADRR=o2\r\nALG=1\r\nPARAM0=20\r\n"
                            "PARAM1=3\r\n"),
                      "PFUNCS", WordLinksOf(test));
    const SProg &p = *list.ByNumber(1);
    EXPECT_EQ(p.FileName, "");
    EXPECT_EQ(p.SavedFileName, "*");
    EXPECT_EQ(p.AdrWriteKind, 'g');
    EXPECT_EQ(p.AdrReadKind, 'o');
    EXPECT_EQ(p.Status, kProgNotRun);

    IniStore saved;
    list.SaveToFile(saved, "PFUNCS", nullptr);
    EXPECT_EQ(saved.ReadString("PFUNCS1", "FILE", ""), "*");
    EXPECT_EQ(saved.ReadString("PFUNCS1", "ADRW", ""), "g3");
    EXPECT_EQ(saved.ReadString("PFUNCS1", "ADRR", ""), "o2");
    EXPECT_EQ(saved.ReadSection("PFUNCS1"),
              (std::vector<std::string>{"NAME", "FILE", "ADRSTART", "ADREND", "ADRINC", "PARAM0",
                                        "PARAM1", "ALG", "ADRW", "DATW", "ADRR", "DATR"}));
    SSaveParam param;
    param.Kinds = SSaveParam::KindFuncData;
    IniStore working;
    list.SaveToFile(working, "PFUNCS", &param);
    EXPECT_EQ(working.ReadString("PFUNCS1", "FILE", "?"), "");
}

TEST(Prog, PromAlgorithmsLinkTheirDataWord)
{
    STest test = TestWithWords();
    TProg list;
    list.LoadFromFile(IniOf("[PFUNCS1]\r\nALG=2\r\nDATW=4\r\nADRW=i1\r\nADRR=i1\r\n"
                            "[PFUNCS2]\r\nALG=3\r\nDATW=5\r\nADRW=i1\r\nADRR=i1\r\n"
                            "[PFUNCS3]\r\nALG=1\r\nDATW=6\r\nADRW=i1\r\nADRR=i1\r\n"),
                      "PFUNCS", WordLinksOf(test));
    EXPECT_EQ(test.IWords.FuncLinkOf(4), 32);
    EXPECT_EQ(test.IWords.FuncLinkOf(5), 64);
    EXPECT_EQ(test.IWords.FuncLinkOf(6), 0);
    EXPECT_THROW(list.LoadFromFile(IniOf("[PFUNCS1]\r\nADRW=i1\r\n"), "PFUNCS", WordLinksOf(test)),
                 SectionFormatError);
}

TEST(Prog, AlgorithmTableGivesParameterRanges)
{
    EXPECT_FALSE(ProgAlgorithmInfo(0)->hasParameters);
    EXPECT_EQ(ProgAlgorithmInfo(1)->minCycles, 10);
    EXPECT_EQ(ProgAlgorithmInfo(1)->maxCycles, 50);
    EXPECT_EQ(ProgAlgorithmInfo(3)->minCycles, 3);
    EXPECT_EQ(ProgAlgorithmInfo(2)->maxCycles, 20);
    EXPECT_EQ(ProgAlgorithmInfo(4), nullptr);
}

TEST(AddressRange, TwoWordsOfEightAndFourBitsAllowAddressesUpTo4095)
{
    const auto width = [](char kind, int number) {
        EXPECT_EQ(kind, 'i');
        return number == 12 ? 8 : 4;
    };
    EXPECT_TRUE(CheckAddressRange(4095, "i12 (L) / i13 (H)", width));
    EXPECT_FALSE(CheckAddressRange(4096, "i12 (L) / i13 (H)", width));
    EXPECT_TRUE(CheckAddressRange(4095, "i12 / i13", width));
    EXPECT_TRUE(CheckAddressRange(255, "i12", width));
    EXPECT_FALSE(CheckAddressRange(256, "i12", width));
    EXPECT_FALSE(CheckAddressRange(1, "", width));
}

TEST(AddressRange, WidthsComeFromTheBusesOfTheTestsWords)
{
    STest test = TestWithWords();
    TTyreAdr tyres;
    tyres.Add(std::string(8, '\x01')); // bus 0: 8 bits (word i1)
    tyres.Add(std::string(4, '\x02')); // bus 1: 4 bits (word i2)
    EXPECT_TRUE(CheckAddressRange(4095, AddressWordsText(1, 2), test, tyres));
    EXPECT_FALSE(CheckAddressRange(4096, AddressWordsText(1, 2), test, tyres));
    EXPECT_FALSE(CheckAddressRange(1, "i9", test, tyres)); // no such word: no bits
}

TEST(AddressRange, TwoPartSplitPutsTheLowWordsWidthInTheLowPart)
{
    const auto parts = SplitTwoPartAddress(0xABC, 8);
    EXPECT_EQ(parts.low, 0xBCu);
    EXPECT_EQ(parts.high, 0xAu);
    EXPECT_EQ(JoinTwoPartAddress(parts.low, parts.high, 8), 0xABCu);
    EXPECT_EQ(MaxAddressOfBits(12), 4095u);
    EXPECT_EQ(MaxAddressOfBits(64), UINT64_MAX);
}

} // namespace
} // namespace qv
