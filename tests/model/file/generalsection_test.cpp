#include "infra/daycount.h"
#include "infra/encoding.h"
#include "model/file/container.h"
#include "model/file/datetext.h"
#include "model/ini/inistore.h"
#include "model/io/bytesource.h"
#include "support/model/testfiles.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using testing::BoardFixture;
using testing::Container;
using testing::ContainerPlan;
using testing::ReadBytes;
using testing::TestText;

// The deciphered block texts of a file without a read password.
ContainerContent Blocks(const std::string &path)
{
    const std::string image = ReadBytes(path);
    MemorySource source(image);
    CryptoProvider crypto;
    std::vector<char> buffer(kDigestChunkSize);
    return ReadContainer(source, crypto, buffer, nullptr);
}

class GeneralSection : public BoardFixture
{
};

TEST_F(GeneralSection, MissingKeysReadAsTheirDefaults)
{
    ContainerPlan plan;
    plan.general = "[]\r\nCNT=BOARD.CNT\r\n";
    Container c;
    c.doc.Sys = 16;
    c.doc.FVersion = "old";
    ASSERT_TRUE(LoadContainer(c, plan));
    EXPECT_EQ(c.doc.Sys, 0);
    EXPECT_EQ(c.doc.NTest, 0);
    EXPECT_EQ(c.doc.FCreate, 0);
    EXPECT_EQ(c.doc.FModified, 0);
    EXPECT_EQ(c.doc.FVersion, "");
    EXPECT_EQ(c.doc.FAuthor, "");
    EXPECT_EQ(c.doc.FTitle, "");
    EXPECT_EQ(c.doc.FLogError, "");
}

TEST_F(GeneralSection, DatesInEveryCommonFormReadAndUnreadableOnesReadAsZero)
{
    ContainerPlan plan;
    plan.general = "[]\r\nCNT=BOARD.CNT\r\nFCREATE=5.3.2024 7:08\r\nFMODIFIED=вчера\r\n";
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan));
    EXPECT_EQ(DateTimeText(c.doc.FCreate), "05.03.2024 07:08:00");
    EXPECT_EQ(c.doc.FModified, 0);
}

TEST_F(GeneralSection, SavingWritesEveryKeyInOrderWithVersion16AndTheLogOn07)
{
    ContainerPlan plan;
    plan.general = "[]\r\nCNT=BOARD.CNT\r\nSYS=8\r\nNTEST=1\r\nFCREATE=01.02.2020 03:04:05\r\n"
                   "FVERSION=1.5\r\nFAUTHOR=A\r\nFTITLE=T\r\nEXTRA=dropped\r\n";
    plan.tests = {TestText("t")};
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan));
    c.doc.FLogError = "строка 1\r\nстрока 2";
    const double before = NowDayCount();
    ASSERT_TRUE(c.file.Save(nullptr));
    EXPECT_EQ(c.doc.FVersion, "1.6");
    EXPECT_GE(c.doc.FModified, before - 1.0 / 86400);

    IniStore general;
    general.FromText(Cp1251ToUtf8(Blocks(Qor()).generalText));
    EXPECT_EQ(general.ReadSections(), std::vector<std::string>{""});
    EXPECT_EQ(general.ReadSection(""),
              (std::vector<std::string>{"CNT", "SYS", "NTEST", "FCREATE", "FMODIFIED", "FVERSION",
                                        "FAUTHOR", "FTITLE", "FLOGERROR"}));
    EXPECT_EQ(general.ReadString("", "FVERSION", ""), "1.6");
    EXPECT_EQ(general.ReadString("", "FCREATE", ""), "01.02.2020 03:04:05");
    EXPECT_EQ(general.ReadString("", "FMODIFIED", ""), DateTimeText(c.doc.FModified));
    EXPECT_EQ(general.ReadString("", "FLOGERROR", ""), "строка 1\x07строка 2");
    EXPECT_EQ(general.ReadString("", "CNT", ""), "BOARD.CNT");
    EXPECT_EQ(Blocks(Qor()).generalText.substr(0, 4), "[]\r\n");
}

TEST_F(GeneralSection, AnEmptyLogIsWrittenAsAnEmptyValue)
{
    Container c;
    ContainerPlan plan;
    ASSERT_TRUE(LoadContainer(c, plan));
    ASSERT_TRUE(c.file.Save(nullptr));
    IniStore general;
    general.FromText(Cp1251ToUtf8(Blocks(Qor()).generalText));
    ASSERT_TRUE(general.ValueExists("", "FLOGERROR"));
    EXPECT_EQ(general.ReadString("", "FLOGERROR", "x"), "");
}

TEST_F(GeneralSection, ANewFileGetsItsCreationDateWithoutAnAlarm)
{
    Container c;
    c.doc.FileName = Qor("NEW.QOR");
    c.cnt.FileName = dir.File("BOARD.CNT");
    ASSERT_TRUE(c.file.Save(nullptr));
    EXPECT_EQ(c.doc.FCreate, c.doc.FModified);
    EXPECT_EQ(Box().Count(), 0u);
}

TEST_F(GeneralSection, AnOldFileWithoutCreationDateTakesItsLastWriteTime)
{
    ContainerPlan plan;
    plan.general = "[]\r\nCNT=BOARD.CNT\r\n";
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan));
    const double written = TTestFile::FileDateOf(Qor());
    ASSERT_TRUE(c.file.Save(nullptr));
    EXPECT_EQ(c.doc.FCreate, written);
    EXPECT_NEAR(written, NowDayCount(), 5.0 / 86400); // written moments ago
}

TEST_F(GeneralSection, FileDateOfAMissingFileSaysSoAndGivesNow)
{
    const double now = NowDayCount();
    const double date = TTestFile::FileDateOf(Qor("NONE.QOR"));
    EXPECT_GE(date, now - 1.0 / 86400);
    ASSERT_EQ(Box().Count(), 1u);
    EXPECT_EQ(Box().ShownMessages()[0].text,
              "Файл " + Qor("NONE.QOR") + " - не удалось определить дату/время файла");
}

class TestBlockSections : public BoardFixture
{
};

TEST_F(TestBlockSections, ATestWithoutMainGetsAnEmptyNameAndNoCycles)
{
    ContainerPlan plan;
    plan.general = testing::GeneralText(1);
    plan.tests = {"[OTHER]\r\nX=1\r\n"};
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan));
    ASSERT_NE(c.doc.Tests[0], nullptr);
    EXPECT_EQ(c.doc.Tests[0]->Name, "");
    EXPECT_EQ(c.doc.Tests[0]->Cycles, 0);
    EXPECT_EQ(c.doc.Tests[0]->StartTact, 0);
}

TEST_F(TestBlockSections, UnknownSectionsAreNotKeptOnSave)
{
    ContainerPlan plan;
    plan.general = testing::GeneralText(1);
    plan.tests = {TestText("t", 2, 1) + "[FOREIGN]\r\nKEY=value\r\n"};
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan));
    ASSERT_TRUE(c.file.Save(nullptr));
    const auto blocks = Blocks(Qor());
    ASSERT_EQ(blocks.testTexts.size(), 1u);
    EXPECT_EQ(blocks.testTexts[0].find("FOREIGN"), std::string::npos);
    EXPECT_EQ(blocks.testTexts[0].find("[MAIN]\r\nNAME=t\r\nCYCLE=2\r\nSTART=1\r\n"), 0u);
}

} // namespace
} // namespace qv
