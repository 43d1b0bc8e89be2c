#include "infra/encoding.h"
#include "infra/helpers.h"
#include "support/common/tempdir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace qv {
namespace {

TEST(NumberText, HexAndOctDigitsRoundTripInBothDirections)
{
    EXPECT_EQ(IntToHexA(0), "0");
    EXPECT_EQ(IntToHexA(255), "FF");
    EXPECT_EQ(IntToHexA(0x1A2B), "1A2B");
    EXPECT_EQ(IntToHexA(-1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToOct(0), "0");
    EXPECT_EQ(IntToOct(8), "10");
    EXPECT_EQ(IntToOct(511), "777");
    EXPECT_EQ(IntToOct(-1), "1777777777777777777777");
    for (const std::int64_t v : {0LL, 1LL, 7LL, 8LL, 15LL, 16LL, 65535LL, 123456789LL}) {
        EXPECT_EQ(HexToInt(IntToHexA(v)), static_cast<std::uint64_t>(v));
        EXPECT_EQ(OctToInt(IntToOct(v)), static_cast<std::uint64_t>(v));
    }
}

TEST(NumberText, ParsersRefuseTextThatIsNotANumberOfTheirBase)
{
    EXPECT_EQ(HexToInt("ff"), 255u);
    EXPECT_EQ(HexToInt("00FF"), 255u);
    EXPECT_FALSE(HexToInt(""));
    EXPECT_FALSE(HexToInt("G1"));
    EXPECT_FALSE(HexToInt(" 1"));
    EXPECT_FALSE(HexToInt("-1"));
    EXPECT_FALSE(HexToInt("10000000000000000")); // 65 bits
    EXPECT_EQ(HexToInt("FFFFFFFFFFFFFFFF"), UINT64_MAX);
    EXPECT_FALSE(OctToInt("8"));
    EXPECT_FALSE(OctToInt("19"));
    EXPECT_EQ(OctToInt("1777777777777777777777"), UINT64_MAX);
    EXPECT_FALSE(OctToInt("2000000000000000000000"));
    EXPECT_EQ(OctToInt("0000000000000000000000017"), 15u);
}

TEST(NumberText, IntToBinGivesExactlyTheRequestedWidth)
{
    EXPECT_EQ(IntToBin(5, 8), "00000101");
    EXPECT_EQ(IntToBin(0xFF, 8), "11111111");
    EXPECT_EQ(IntToBin(0x1FF, 8), "11111111"); // only the low bits fit
    EXPECT_EQ(IntToBin(1, 1), "1");
    EXPECT_EQ(IntToBin(2, 1), "0");
    EXPECT_EQ(IntToBin(0, 16), "0000000000000000");
    EXPECT_EQ(IntToBin(1, 0), "");
    EXPECT_EQ(IntToBin(UINT64_MAX, 66), "00" + std::string(64, '1'));
}

TEST(NumberText, WdHexToIntReadsEveryDigitAndNothingElse)
{
    const std::string upper = "0123456789ABCDEF";
    const std::string lower = "0123456789abcdef";
    for (int v = 0; v < 16; ++v) {
        EXPECT_EQ(WD_HexToInt(upper.substr(static_cast<std::size_t>(v), 1)), v);
        EXPECT_EQ(WD_HexToInt(lower.substr(static_cast<std::size_t>(v), 1)), v);
        EXPECT_EQ(WD_IntToHex(v), upper.substr(static_cast<std::size_t>(v), 1));
    }
    EXPECT_EQ(WD_HexToInt("G"), -1);
    EXPECT_EQ(WD_HexToInt(""), -1);
    EXPECT_EQ(WD_HexToInt("10"), -1);
    EXPECT_EQ(WD_IntToHex(16), "");
    EXPECT_EQ(WD_IntToHex(-1), "");
}

TEST(MathPower, TwoToTheNMinusOneIsTheNBitMask)
{
    EXPECT_EQ(Math(2, 0, 0) - 1, 0);
    EXPECT_EQ(Math(2, 1, 0) - 1, 1);
    EXPECT_EQ(Math(2, 8, 0) - 1, 0xFF);
    EXPECT_EQ(Math(2, 16, 1) - 1, 0xFFFF);
    EXPECT_EQ(Math(2, 32, 0) - 1, 0xFFFFFFFFLL);
    EXPECT_EQ(static_cast<std::uint64_t>(Math(2, 64, 0) - 1), UINT64_MAX);
    EXPECT_EQ(Math(10, 3, 0), 1000);
    EXPECT_EQ(Math(2, -1, 0), 0);
}

TEST(DelLastSymb, RemovesTheTrailingMarkerOnlyFromTextsOfTwoOrMoreCharacters)
{
    std::string one = "x";
    DelLastSymb(one);
    EXPECT_EQ(one, "x");
    std::string two = "ab";
    DelLastSymb(two);
    EXPECT_EQ(two, "a");
    std::string empty;
    DelLastSymb(empty);
    EXPECT_EQ(empty, "");
    std::string cyrillicOne = "Ж";
    DelLastSymb(cyrillicOne);
    EXPECT_EQ(cyrillicOne, "Ж");
    std::string cyrillic = "1Ж";
    DelLastSymb(cyrillic);
    EXPECT_EQ(cyrillic, "1");
}

TEST(CodePages, DosToWinConvertsEveryLineAndWinToDosRestoresIt)
{
    std::vector<std::string> lines = {"\x8F\xE0\xA8\xA2\xA5\xE2", "plain", ""};
    DosToWin(lines);
    EXPECT_EQ(lines[0], "Привет");
    EXPECT_EQ(lines[1], "plain");
    WinToDos(lines);
    EXPECT_EQ(lines[0], "\x8F\xE0\xA8\xA2\xA5\xE2");
    std::vector<std::string> bad = {"ok", "€"}; // no euro sign in code page 866
    EXPECT_THROW(WinToDos(bad), EncodingError);
    EXPECT_EQ(bad[0], "ok");
}

TEST(CodePages, AsciiCodeIsTheWindows1251Byte)
{
    EXPECT_EQ(ASCIIcode(U'A'), 65);
    EXPECT_EQ(ASCIIcode(U'\x07'), 7);
    EXPECT_EQ(ASCIIcode(U'А'), 0xC0);
    EXPECT_EQ(ASCIIcode(U'я'), 0xFF);
    EXPECT_EQ(ASCIIcode(U'№'), 0xB9);
    EXPECT_EQ(ASCIIcode(U'Ω'), -1);
}

TEST(Texts, NameValueSplitAndDecimalCheck)
{
    EXPECT_EQ(GetName("FNAME=a=b"), "FNAME");
    EXPECT_EQ(GetValue("FNAME=a=b"), "a=b");
    EXPECT_EQ(GetName("plain"), "plain");
    EXPECT_EQ(GetValue("plain"), "");
    EXPECT_TRUE(IsDec("123"));
    EXPECT_TRUE(IsDec("-5"));
    EXPECT_FALSE(IsDec("-"));
    EXPECT_FALSE(IsDec(""));
    EXPECT_FALSE(IsDec("1A"));
    EXPECT_EQ(SetExt("/a/b/TEST.QOR", "TXT"), std::filesystem::path("/a/b/TEST.TXT"));
    EXPECT_EQ(SetExt("/a/b/TEST.QOR", ".sco"), std::filesystem::path("/a/b/TEST.sco"));
    EXPECT_TRUE(SameTextNoCase("Тест.qor", "ТЕСТ.QOR"));
    EXPECT_FALSE(SameTextNoCase("Тест", "Тесты"));
}

class BakFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("qv_bak_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
};

TEST_F(BakFileTest, BackupReplacesAnOlderBackupWithTheCurrentContent)
{
    const auto file = dir / "X.QOR";
    testing::WriteBytes(file, "first");
    ASSERT_TRUE(CreateBakFile(file));
    EXPECT_EQ(testing::ReadBytes(dir / "X.QOR.bak"), "first");
    testing::WriteBytes(file, "second");
    ASSERT_TRUE(CreateBakFile(file));
    EXPECT_EQ(testing::ReadBytes(dir / "X.QOR.bak"), "second");
    EXPECT_EQ(testing::ReadBytes(file), "second");
}

TEST_F(BakFileTest, AMissingFileNeedsNoBackup)
{
    EXPECT_TRUE(CreateBakFile(dir / "absent.QOR"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent.QOR.bak"));
}

TEST_F(BakFileTest, AFailedBackupIsReportedWithAReason)
{
    const auto file = dir / "Y.QOR";
    testing::WriteBytes(file, "data");
    std::filesystem::create_directory(dir / "Y.QOR.bak"); // a folder blocks the copy
    std::string error;
    EXPECT_FALSE(CreateBakFile(file, &error));
    EXPECT_NE(error.find("Y.QOR"), std::string::npos) << error;
}

} // namespace
} // namespace qv
