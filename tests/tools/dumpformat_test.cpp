#include "dumpformat.h"
#include "infra/encoding.h"

#include <gtest/gtest.h>

namespace qortool {
namespace {

TEST(DumpEscapes, EveryByteSurvivesTheRoundTripAndTheDumpIsPlainText)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    const std::string text = EscapeBytes(bytes, true);
    EXPECT_TRUE(qv::IsValidUtf8(text));
    for (const char ch : text) {
        EXPECT_GE(static_cast<unsigned char>(ch), 0x20) << "no control byte in a dump";
    }
    EXPECT_EQ(UnescapeText(text), bytes);
}

TEST(DumpEscapes, BellBackslashAndControlBytesHaveTheirForms)
{
    EXPECT_EQ(EscapeBytes("1\x07"
                          "abc\x07label",
                          true),
              "1\\aabc\\alabel");
    EXPECT_EQ(EscapeBytes("a\\b", true), "a\\\\b");
    EXPECT_EQ(EscapeBytes("x\r\ny\x1F", true), "x\\x0D\\x0Ay\\x1F");
    EXPECT_EQ(EscapeBytes(qv::Utf8ToCp1251("Тест"), true), "Тест");
    EXPECT_EQ(EscapeBytes("#TEST", true), "\\x23TEST") << "never mistaken for a marker";
    EXPECT_EQ(EscapeBytes("#name", false), "#name");
    EXPECT_EQ(UnescapeText("\\x41\\x4a\\a"), "AJ\x07");
}

TEST(DumpEscapes, BrokenEscapesAndForeignCharactersAreRefused)
{
    for (const char *text : {"\\", "a\\q", "\\x4", "\\xZZ", "end\\"}) {
        EXPECT_THROW(UnescapeText(text), DumpError) << text;
    }
    EXPECT_THROW(UnescapeText("\u4E2D"), qv::EncodingError);
}

TEST(QorDumpText, ParsesEveryLineKind)
{
    const QorDump dump = ParseQorDump("QORDUMP 1\nFLAGS 6\nREAD-PASSWORD пароль\n"
                                      "WRITE-PASSWORD  с пробелом\nBUS 1 2 192\nBUS\n"
                                      "#GENERAL\n[]\nNTEST=1\n\n#TEST\n[MAIN]\nNAME=\\a\n");
    EXPECT_EQ(dump.flags, 6);
    EXPECT_EQ(dump.readPassword, "пароль");
    EXPECT_EQ(dump.writePassword, " с пробелом");
    EXPECT_EQ(dump.buses, (std::vector<std::string>{std::string("\x01\x02\xC0", 3), ""}));
    EXPECT_EQ(dump.generalLines, (std::vector<std::string>{"[]", "NTEST=1"}));
    ASSERT_EQ(dump.testLines.size(), 1u);
    EXPECT_EQ(dump.testLines[0], (std::vector<std::string>{"[MAIN]", "NAME=\x07"}));
}

TEST(QorDumpText, FormatsExactlyTheUnpackLayout)
{
    QorDump dump;
    dump.flags = 2;
    dump.readPassword = "not written";
    dump.buses = {std::string("\x05\x06", 2)};
    dump.generalLines = {"[]", "SYS=16"};
    dump.testLines = {{"[MAIN]", qv::Utf8ToCp1251("NAME=Тест")}, {}};
    EXPECT_EQ(FormatQorDump(dump), "QORDUMP 1\nFLAGS 2\nBUS 5 6\n#GENERAL\n[]\nSYS=16\n#TEST\n"
                                   "[MAIN]\nNAME=Тест\n#TEST\n");
    EXPECT_EQ(FormatQorDump(ParseQorDump(FormatQorDump(dump))), FormatQorDump(dump));
}

TEST(QorDumpText, MistakesAreRefusedWithTheirLineNumber)
{
    const auto problem = [](const char *text) {
        try {
            ParseQorDump(text);
        } catch (const DumpError &e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(problem("QORDUMP 2\n").rfind("строка 1:", 0), 0u);
    EXPECT_EQ(problem("QORDUMP 1\n#GENERAL\n"), "строка 2: нет строки FLAGS");
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS 0\n"), "строка 2: нет раздела #GENERAL");
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS 0\nBUS 1 256\n#GENERAL\n").rfind("строка 3:", 0), 0u);
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS 0\nGARBAGE\n#GENERAL\n").rfind("строка 3:", 0), 0u);
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS 0\n#TEST\n").rfind("строка 3:", 0), 0u);
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS 0\n#GENERAL\nA=\\q\n").rfind("строка 4:", 0), 0u);
    EXPECT_EQ(problem("QORDUMP 1\nFLAGS x\n#GENERAL\n").rfind("строка 2:", 0), 0u);
}

TEST(BlockText, LinesEndInCrLfAndEmptyLinesDisappear)
{
    EXPECT_EQ(BlockLines("[]\r\n\r\nA=1\r\nB=2"), (std::vector<std::string>{"[]", "A=1", "B=2"}));
    EXPECT_EQ(BlockLines("a\nb\r\n"), (std::vector<std::string>{"a\nb"})) << "a lone LF is data";
    EXPECT_EQ(BlockText({"[]", "A=1"}), "[]\r\nA=1\r\n");
}

TEST(CntDumpText, RoundTripsRecordsAndDates)
{
    const CntDump dump = ParseCntDump("QORCNT 1\nCREATED 2024-03-14T09:00:00\n"
                                      "3=Сброс\n0=ноль\n700=\\x01x\n");
    ASSERT_TRUE(dump.created.has_value());
    EXPECT_FALSE(dump.modified.has_value());
    ASSERT_EQ(dump.records.size(), 3u);
    EXPECT_EQ(dump.records[0].number, 3);
    EXPECT_EQ(dump.records[0].name, qv::Utf8ToCp1251("Сброс"));
    EXPECT_EQ(dump.records[2].name, "\x01x");
    qv::ContactFileContent content;
    content.created = *dump.created;
    content.modified = *dump.created;
    content.records = dump.records;
    EXPECT_EQ(FormatCntDump(content),
              "QORCNT 1\nCREATED 2024-03-14T09:00:00\n"
              "MODIFIED 2024-03-14T09:00:00\n3=Сброс\n0=ноль\n700=\\x01x\n");
    EXPECT_THROW(ParseCntDump("QORCNT 1\n70000=x\n"), DumpError);
    EXPECT_THROW(ParseCntDump("QORCNT 1\nCREATED вчера\n"), DumpError);
    EXPECT_THROW(ParseCntDump("QORDUMP 1\n"), DumpError);
}

} // namespace
} // namespace qortool
