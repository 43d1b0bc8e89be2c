#include "model/ini/inistore.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(IniStore, KeepsSectionsAndKeysInFirstWrittenOrder)
{
    IniStore ini;
    ini.WriteString("MAIN", "NAME", "Тест 1");
    ini.WriteString("DIAGRAMM", "D1", "10");
    ini.WriteString("MAIN", "CYCLES", "2");
    ini.WriteString("main", "name", "Тест 2"); // same key, other case: value changes in place
    EXPECT_EQ(ini.ToText(), "[MAIN]\r\nNAME=Тест 2\r\nCYCLES=2\r\n[DIAGRAMM]\r\nD1=10\r\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"MAIN", "DIAGRAMM"}));
    EXPECT_EQ(ini.ReadSection("Main"), (std::vector<std::string>{"NAME", "CYCLES"}));
}

TEST(IniStore, NamesCompareWithoutLetterCaseIncludingCyrillic)
{
    IniStore ini;
    ini.WriteString("Общие", "Слово GE", "255");
    EXPECT_EQ(ini.ReadString("ОБЩИЕ", "слово ge", ""), "255");
    EXPECT_TRUE(ini.SectionExists("общие"));
    EXPECT_TRUE(ini.ValueExists("общие", "СЛОВО GE"));
}

TEST(IniStore, AbsentOrMalformedValuesYieldTheCallersDefault)
{
    IniStore ini;
    ini.WriteString("S", "N", "12");
    ini.WriteString("S", "BAD", "12x");
    ini.WriteString("S", "EMPTY", "");
    ini.WriteString("S", "BIG", "99999999999");
    ini.WriteString("S", "NEG", "-1");
    ini.WriteString("S", "HEX", "0x1F");
    EXPECT_EQ(ini.ReadInteger("S", "N", 5), 12);
    EXPECT_EQ(ini.ReadInteger("S", "BAD", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "EMPTY", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "BIG", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "NEG", 5), -1);
    EXPECT_EQ(ini.ReadInteger("S", "HEX", 5), 31);
    EXPECT_EQ(ini.ReadInteger("S", "ABSENT", 5), 5);
    EXPECT_EQ(ini.ReadInteger("NOSECTION", "N", 7), 7);
    EXPECT_EQ(ini.ReadString("S", "ABSENT", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", "EMPTY", "def"), "");
    EXPECT_FALSE(ini.Find("S", "ABSENT").has_value());
}

TEST(IniStore, TextRoundTripSkipsEmptyLinesAndHandlesTheEmptySectionName)
{
    IniStore ini;
    ini.FromText("[]\r\nSYS=16\r\n\r\nNTEST=3\r\n[IWORDS1]\r\nNAME=a=b\r\nFLAG\r\n");
    EXPECT_EQ(ini.ReadInteger("", "NTEST", 0), 3);
    EXPECT_EQ(ini.ReadString("IWORDS1", "NAME", ""), "a=b");
    EXPECT_TRUE(ini.ValueExists("IWORDS1", "FLAG"));
    EXPECT_EQ(ini.ToText(), "[]\r\nSYS=16\r\nNTEST=3\r\n[IWORDS1]\r\nNAME=a=b\r\nFLAG=\r\n");
    IniStore copy;
    copy.FromText(ini.ToText());
    EXPECT_EQ(copy.ToText(), ini.ToText());
}

TEST(IniStore, LinesBeforeAnyHeaderBelongToTheEmptySection)
{
    IniStore ini;
    ini.SetStrings({"A=1", "[X]", "B=2"});
    EXPECT_EQ(ini.ReadString("", "A", ""), "1");
    EXPECT_EQ(ini.ReadString("X", "B", ""), "2");
}

TEST(IniStore, DeletingKeysAndSectionsKeepsLookupsRight)
{
    IniStore ini;
    for (int i = 1; i <= 5; ++i)
        ini.WriteInteger("DIAGRAMM", std::to_string(i), i * 10);
    ini.WriteString("OTHER", "K", "v");
    ini.DeleteKey("diagramm", "2");
    EXPECT_FALSE(ini.ValueExists("DIAGRAMM", "2"));
    EXPECT_EQ(ini.ReadInteger("DIAGRAMM", "5", 0), 50);
    ini.WriteString("DIAGRAMM", "2", "new");
    EXPECT_EQ(ini.ReadSection("DIAGRAMM").back(), "2"); // re-added at the end
    ini.EraseSection("DIAGRAMM");
    EXPECT_FALSE(ini.SectionExists("DIAGRAMM"));
    EXPECT_EQ(ini.ReadString("OTHER", "K", ""), "v");
    ini.WriteString("DIAGRAMM", "1", "x");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"OTHER", "DIAGRAMM"}));
}

TEST(IniStore, CopiesAreIndependent)
{
    IniStore a;
    a.WriteString("S", "K", "1");
    IniStore b = a;
    b.WriteString("S", "K", "2");
    EXPECT_EQ(a.ReadString("S", "K", ""), "1");
    EXPECT_EQ(b.ReadString("S", "K", ""), "2");
    IniStore c = std::move(b);
    EXPECT_EQ(c.ReadString("S", "K", ""), "2");
}

// A diagram's section is indexed: a copy, and a copy of a copy assigned
// over a store, find each of its keys, and a key repeated in a text keeps
// its first place with the last value.
TEST(IniStore, CopiesOfLargeSectionsFindEveryKeyAndRepeatedKeysKeepTheLastValue)
{
    std::string text = "[DIAGRAMM]\r\n";
    for (int k = 1; k <= 300; ++k)
        text.append(std::to_string(k)).append("=v").append(std::to_string(k)).append("\r\n");
    text += "7=again\r\n";
    IniStore original;
    original.FromText(text);
    IniStore copy = original;
    IniStore assigned;
    assigned.WriteString("OTHER", "K", "1");
    assigned = copy;
    original.Clear();
    for (const IniStore *ini : {&copy, &assigned}) {
        EXPECT_EQ(ini->ReadSection("diagramm").size(), 300u);
        for (int k = 1; k <= 300; ++k) {
            const std::string *value = ini->Value("Diagramm", std::to_string(k));
            ASSERT_NE(value, nullptr) << k;
            EXPECT_EQ(*value,
                      k == 7 ? std::string("again") : std::string("v").append(std::to_string(k)));
        }
        EXPECT_EQ(ini->Value("DIAGRAMM", "301"), nullptr);
        EXPECT_EQ(ini->Value("OTHER", "K"), nullptr);
        EXPECT_EQ(ini->ReadSection("DIAGRAMM")[6], "7");
    }
}

} // namespace
} // namespace qv

namespace qv {
namespace {

// Small sections are scanned, large ones (a diagram's lines) indexed: both
// must find, overwrite and delete keys alike.
TEST(IniStore, SectionsOfEverySizeFindOverwriteAndDeleteKeysAlike)
{
    for (const int count : {3, 16, 17, 200}) {
        IniStore ini;
        for (int k = 0; k < count; ++k) {
            ini.WriteString("Diagramm", "key" + std::to_string(k), std::to_string(k));
        }
        ini.WriteString("DIAGRAMM", "KEY0", "first");
        ini.WriteString("diagramm", "Key" + std::to_string(count - 1), "last");
        EXPECT_EQ(ini.ReadSection("DIAGRAMM").size(), static_cast<std::size_t>(count)) << count;
        EXPECT_EQ(ini.ReadString("DIAGRAMM", "key0", ""), "first");
        EXPECT_EQ(ini.ReadString("DIAGRAMM", "KEY" + std::to_string(count - 1), ""), "last");
        EXPECT_EQ(ini.ReadInteger("diagramm", "key1", -1), count > 2 ? 1 : -1);
        EXPECT_FALSE(ini.ValueExists("DIAGRAMM", "key" + std::to_string(count)));

        ini.DeleteKey("DIAGRAMM", "KEY1");
        EXPECT_FALSE(ini.ValueExists("DIAGRAMM", "key1"));
        EXPECT_EQ(ini.ReadString("DIAGRAMM", "key2", ""), count == 3 ? "last" : "2");
        ini.WriteString("DIAGRAMM", "key1", "again");
        EXPECT_EQ(ini.ReadSection("DIAGRAMM").back(), "key1");

        IniStore parsed;
        parsed.FromText(ini.ToText());
        EXPECT_EQ(parsed.ToText(), ini.ToText());
        EXPECT_EQ(parsed.ReadString("diagramm", "KEY1", ""), "again");
    }
}

} // namespace
} // namespace qv
