#include "infra/encoding.h"
#include "model/file/commentfile.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/io/bytesource.h"
#include "model/io/errors.h"
#include "support/model/testfiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qv {
namespace {

using testing::BoardFixture;
using testing::Container;
using testing::ContainerPlan;
using testing::ReadBytes;
using testing::WriteBytes;

TEST(ContactFile, RecordsRoundTripWithTheirMaskAndDates)
{
    ContactFileContent content;
    content.created = 45000.25;
    content.modified = 45010.5;
    content.records = {{3, "ABCD"}, {192, Utf8ToCp1251("Сброс")}, {0, "zero"}, {193, "far"}};
    CryptoProvider crypto;
    const std::string bytes = BuildContactFile(content, crypto);
    EXPECT_EQ(bytes.substr(0, 13), std::string("\xA9"
                                               "Contact file"));
    // Record 1 starts at 15: number 3, length 4, masked name.
    EXPECT_EQ(bytes.substr(15, 3), std::string("\x03\x00\x04", 3));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[18]), 'A' ^ kContactNameMask);
    MemorySource source(bytes);
    std::vector<char> buffer(10240);
    const ContactFileContent read = ReadContactFile(source, crypto, buffer);
    ASSERT_EQ(read.records.size(), 4u);
    EXPECT_EQ(read.records[0].number, 3);
    EXPECT_EQ(read.records[0].name, "ABCD");
    EXPECT_EQ(read.records[1].name, Utf8ToCp1251("Сброс"));
    EXPECT_EQ(read.created, 45000.25);
    EXPECT_EQ(read.modified, 45010.5);
}

TEST(ContactFile, RecordsReachingIntoTheDatesAreRefused)
{
    ContactFileContent content;
    content.records = {{1, "A"}};
    CryptoProvider crypto;
    std::string bytes = BuildContactFile(content, crypto);
    bytes[13] = 5; // five records declared, one present
    bytes.resize(bytes.size() - 32);
    Bytes32 digest{};
    ASSERT_TRUE(DigestOfBytes(bytes, crypto, digest));
    bytes.append(reinterpret_cast<const char *>(digest.data()), 32);
    MemorySource source(bytes);
    std::vector<char> buffer(10240);
    EXPECT_THROW(ReadContactFile(source, crypto, buffer), ReadFailure);
}

class Contacts : public BoardFixture
{
};

TEST_F(Contacts, NamesFillTheirSlotsAndNumbersOutsideTheAdapterAreIgnored)
{
    ContactFileContent content;
    content.created = 45000;
    content.modified = 45001;
    content.records = {{3, "ABCD"}, {192, "LAST"}, {0, "zero"}, {193, "far"}, {65535, "max"}};
    CryptoProvider crypto;
    WriteBytes(dir.File("BOARD.CNT"), BuildContactFile(content, crypto));
    Container c;
    c.cnt.Names[7] = "stale";
    ASSERT_TRUE(LoadContainer(c, ContainerPlan{}));
    EXPECT_EQ(c.cnt.Names[2], "ABCD");
    EXPECT_EQ(c.cnt.Names[191], "LAST");
    EXPECT_EQ(c.cnt.Names[0], "");
    EXPECT_EQ(c.cnt.Names[7], "") << "names of an earlier file do not survive";
    EXPECT_EQ(c.cnt.Created, 45000);
    EXPECT_EQ(c.cnt.Modified, 45001);
}

TEST_F(Contacts, IsFileOfKindTellsTestAndContactFilesByTheirMagic)
{
    WriteBytes(Qor(), testing::MakeContainer(ContainerPlan{}));
    EXPECT_TRUE(TTestFile::IsFileOfKind(1, Qor()));
    EXPECT_FALSE(TTestFile::IsFileOfKind(2, Qor()));
    EXPECT_TRUE(TTestFile::IsFileOfKind(2, dir.File("BOARD.CNT")));
    EXPECT_FALSE(TTestFile::IsFileOfKind(1, dir.File("BOARD.CNT")));
    WriteBytes(dir.File("MAGIC.CNT"), std::string("\xA9"
                                                  "Contact file"));
    EXPECT_FALSE(TTestFile::IsFileOfKind(2, dir.File("MAGIC.CNT"))) << "only the magic";
    EXPECT_FALSE(TTestFile::IsFileOfKind(1, dir.File("NONE.QOR")));
}

TEST(CommentText, HeaderAndFooterLinesAre75CharactersLong)
{
    EXPECT_EQ(CommentHeader(0),
              "*************************   КОММЕНТАРИЙ К ФАЙЛУ   *************************");
    EXPECT_EQ(CommentHeader(7),
              "************************* КОММЕНТАРИЙ К ТЕСТУ №07 *************************");
    EXPECT_EQ(CommentHeader(20), std::string(kCommentStars) + " КОММЕНТАРИЙ К ТЕСТУ №20 " +
                                     std::string(kCommentStars));
    for (const int slot : {0, 1, 9, 10, 20}) {
        EXPECT_EQ(Utf8Length(CommentHeader(slot)), 75u) << slot;
    }
    EXPECT_EQ(CommentFooter(), std::string(75, '*'));
}

TEST(CommentText, WritingPutsAnEmptyLineAfterHeaderBodyAndFooter)
{
    CommentSlots slots;
    slots[0] = "О файле";
    slots[2] = "строка 1\r\nстрока 2";
    EXPECT_EQ(CommentFileText(slots), CommentHeader(0) + "\r\n\r\nО файле\r\n\r\n" +
                                          CommentFooter() + "\r\n\r\n" + CommentHeader(2) +
                                          "\r\n\r\nстрока 1\r\nстрока 2\r\n\r\n" + CommentFooter() +
                                          "\r\n\r\n");
    EXPECT_EQ(CommentFileText(CommentSlots{}), "");
    EXPECT_EQ(CommentMarksOf(slots), std::string("\x01\x03", 2));
}

TEST(CommentText, ReadingTakesTheBlocksAndSkipsEmptyLinesAndStrayText)
{
    const std::vector<std::string> lines = {
        "текст до первого заголовка",
        CommentHeader(7),
        "",
        "первая",
        "   ",
        "вторая  ",
        CommentFooter() + "   ",
        "между блоками",
        CommentHeader(0),
        "о файле",
        CommentFooter(),
        "************************* КОММЕНТАРИЙ К ТЕСТУ №xx *************************",
        "ничей",
        CommentFooter(),
        "************************* КОММЕНТАРИЙ К ТЕСТУ №21 *************************",
        "тоже ничей",
        CommentFooter(),
    };
    const CommentSlots slots = ParseCommentLines(lines);
    EXPECT_EQ(slots[7], "первая\r\nвторая  ");
    EXPECT_EQ(slots[0], "о файле");
    for (std::size_t i = 1; i < slots.size(); ++i) {
        if (i != 7) {
            EXPECT_EQ(slots[i], "") << i;
        }
    }
}

TEST(CommentText, TheEarlierFormFillsSlotsFromTheFileOnwardsWithItsNonEmptyBlocks)
{
    const std::vector<std::string> lines = {
        "; заголовок файла", "|Файл", "Комментарий к файлу", "|Тест 1",  "Комментарии отсутствуют",
        "|Тест 2",           "",      "Вторая строка",       "и третья", "|Тест 3",
    };
    const CommentSlots slots = ParseEarlierCommentLines(lines);
    EXPECT_EQ(slots[0], "Комментарий к файлу");
    EXPECT_EQ(slots[1], "Вторая строка\r\nи третья");
    EXPECT_EQ(slots[2], "");
    EXPECT_TRUE(HasCommentMarkers(CommentHeader(3) + CommentFooter()));
    EXPECT_FALSE(HasCommentMarkers("|Файл\r\n" + std::string(kCommentStars)));
}

class CommentFiles : public BoardFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(LoadContainer(c, ContainerPlan{})); }
    Container c;
};

TEST_F(CommentFiles, WrittenCommentsReadBackWithTheirMarks)
{
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.FileName, dir.File("BOARD.TXT"));
    c.txt.Comments[0] = "Плата";
    c.txt.Comments[7] = "Тест семь\r\n\r\nпосле пустой";
    c.txt.Comments[20] = "последний";
    ASSERT_TRUE(c.file.WriteComments());
    EXPECT_EQ(ReadBytes(dir.File("BOARD.TXT")), Utf8ToCp1251(CommentFileText(c.txt.Comments)));

    Container other;
    other.file.Attach({&c.doc, &other.cnt, &other.txt});
    ASSERT_TRUE(other.file.ReadComments());
    EXPECT_EQ(other.txt.Comments[0], "Плата");
    EXPECT_EQ(other.txt.Comments[7], "Тест семь\r\nпосле пустой") << "empty lines are lost";
    EXPECT_EQ(other.txt.Comments[20], "последний");
    EXPECT_EQ(other.file.CommentMarks(), std::string("\x01\x08\x15", 3));
}

TEST_F(CommentFiles, AFileReadAfterAnotherKeepsNoSlotOfIt)
{
    c.txt.FileName = dir.File("BOARD.TXT");
    c.txt.Comments[20] = "только двадцатый";
    ASSERT_TRUE(c.file.WriteComments());
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.Comments[20], "только двадцатый");
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(c.txt.Comments[static_cast<std::size_t>(i)], "");
    }
    WriteBytes(dir.File("BOARD.TXT"),
               Utf8ToCp1251(CommentHeader(1) + "\r\nпервый\r\n" + CommentFooter() + "\r\n"));
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.Comments[20], "");
    EXPECT_EQ(c.txt.Comments[1], "первый");
}

TEST_F(CommentFiles, AnEarlierFormFileIsReadFromTheDosCodePage)
{
    WriteBytes(dir.File("BOARD.TXT"),
               Utf8ToCp866("|Файл\r\nСтарый комментарий\r\n|Тест 1\r\nкомментарии отсутствуют\r\n"
                           "|Тест 2\r\nО тесте\r\n"));
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.Comments[0], "Старый комментарий");
    EXPECT_EQ(c.txt.Comments[1], "О тесте");
    EXPECT_EQ(c.file.CommentMarks(), std::string("\x01\x02", 2));
}

TEST_F(CommentFiles, ACommentFileInOtherLetterCaseIsFound)
{
    WriteBytes(dir.File("board.txt"),
               Utf8ToCp1251(CommentHeader(0) + "\r\nнайден\r\n" + CommentFooter() + "\r\n"));
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.FileName, dir.File("board.txt"));
    EXPECT_EQ(c.txt.Comments[0], "найден");
}

TEST_F(CommentFiles, ClearingEveryCommentLeavesTheOldFileAsItWas)
{
    WriteBytes(dir.File("BOARD.TXT"), "old");
    ASSERT_TRUE(c.file.ReadComments());
    c.txt.Comments.fill("");
    EXPECT_TRUE(c.file.WriteComments());
    EXPECT_EQ(ReadBytes(dir.File("BOARD.TXT")), "old");
}

TEST_F(CommentFiles, AReadOnlyCommentFileIsAskedAboutAndKeptOnNo)
{
    const std::string old = Utf8ToCp1251(CommentHeader(0) + "\r\nстарый\r\n" + CommentFooter());
    WriteBytes(dir.File("BOARD.TXT"), old);
    ::chmod(dir.File("BOARD.TXT").c_str(), 0444);
    ASSERT_TRUE(c.file.ReadComments());
    c.txt.Comments[0] = "новый";
    Box().QueueAnswer(MbNo);
    EXPECT_FALSE(c.file.WriteComments());
    EXPECT_EQ(ReadBytes(dir.File("BOARD.TXT")), old);
    EXPECT_EQ(Box().ShownMessages().at(0).flags, MbQuestion);
    Box().QueueAnswer(MbYes);
    EXPECT_TRUE(c.file.WriteComments());
    ASSERT_TRUE(c.file.ReadComments());
    EXPECT_EQ(c.txt.Comments[0], "новый");
}

TEST_F(CommentFiles, AnUnreadableCommentFileIsReported)
{
    std::filesystem::create_directory(dir.File("BOARD.TXT"));
    EXPECT_FALSE(c.file.ReadComments());
    ASSERT_EQ(Box().Count(), 1u);
    EXPECT_EQ(Box().ShownMessages()[0].text,
              "Ошибка чтения данных из файла \"" + dir.File("BOARD.TXT") + "\"");
}

TEST_F(CommentFiles, IsFileOfKindThreeAcceptsAMissingFileOrOneWithTwoMarkers)
{
    EXPECT_TRUE(TTestFile::IsFileOfKind(3, dir.File("NONE.TXT")));
    WriteBytes(dir.File("A.TXT"), Utf8ToCp1251(CommentHeader(0)));
    EXPECT_TRUE(TTestFile::IsFileOfKind(3, dir.File("A.TXT")));
    WriteBytes(dir.File("B.TXT"), std::string(kCommentStars));
    EXPECT_FALSE(TTestFile::IsFileOfKind(3, dir.File("B.TXT")));
}

} // namespace
} // namespace qv
