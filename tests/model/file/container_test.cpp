#include "infra/encoding.h"
#include "infra/messages.h"
#include "model/file/container.h"
#include "model/io/bytesource.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"
#include "support/model/testfiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

using testing::BoardFixture;
using testing::Container;
using testing::ContainerPlan;
using testing::GeneralText;
using testing::ReadBytes;
using testing::TestText;
using testing::WriteBytes;

const std::string kReadFailureLine = "Не удалось прочитать данные из файла. " + Msg(17);
const std::string kWriteFailureLine = "Не удалось записать данные в файл. " + Msg(18);
const std::string kNoAccessLine = "Нет доступа к файлу или файл отсутствует";
const std::string kDigestLine =
    "Ошибка в структуре файла. Файл поврежден (не совпадает контрольная сумма)";

// The test file of a container plan with `count` named tests.
ContainerPlan PlanWithTests(int count)
{
    ContainerPlan plan;
    plan.general = GeneralText(count);
    for (int i = 0; i < count; ++i) {
        plan.tests.push_back(TestText("Тест " + std::to_string(i + 1), i + 1, i % 3));
    }
    return plan;
}

std::uint32_t TrailerOffset(const std::string &image)
{
    std::uint32_t t = 0;
    for (int i = 3; i >= 0; --i) {
        t = (t << 8) |
            static_cast<std::uint8_t>(image[image.size() - 40 + static_cast<std::size_t>(i)]);
    }
    return t;
}

class ContainerRoundTrip : public BoardFixture
{
protected:
    // Fills a container's records with `count` tests and saves them to path.
    void FillAndSave(Container &c, const std::string &path, int count)
    {
        c.doc.FileName = path;
        c.cnt.FileName = dir.File("BOARD.CNT");
        c.doc.Sys = 8;
        c.doc.FTitle = "Плата управления";
        c.doc.FAuthor = "Оператор";
        c.doc.Tyres.Add(std::string("\x01\x02\x03\x04", 4));
        c.doc.Tyres.Add(std::string("\xC0", 1));
        c.doc.NTest = count;
        for (int i = 0; i < count; ++i) {
            auto test = std::make_unique<STest>();
            test->Name = "Тест №" + std::to_string(i + 1);
            test->Cycles = i + 2;
            test->StartTact = i;
            c.doc.Tests[static_cast<std::size_t>(i)] = std::move(test);
        }
        ASSERT_TRUE(c.file.Save(nullptr));
        EXPECT_TRUE(c.ui.Logs().empty());
    }
};

TEST_F(ContainerRoundTrip, SavedFilesLoadBackWithTheirTestsBusesAndFields)
{
    for (const int count : {0, 1, 20}) {
        Container saved;
        FillAndSave(saved, Qor(), count);
        Container loaded;
        loaded.doc.FileName = Qor();
        ASSERT_TRUE(loaded.file.Load()) << count;
        EXPECT_EQ(loaded.doc.NTest, count);
        EXPECT_EQ(loaded.doc.Sys, 8);
        EXPECT_EQ(loaded.doc.FTitle, "Плата управления");
        EXPECT_EQ(loaded.doc.FAuthor, "Оператор");
        EXPECT_EQ(loaded.doc.FVersion, "1.6");
        EXPECT_EQ(loaded.doc.Tyres, saved.doc.Tyres);
        EXPECT_EQ(loaded.cnt.Names[0], "K1");
        EXPECT_EQ(loaded.cnt.FileName, dir.File("BOARD.CNT"));
        for (int i = 0; i < count; ++i) {
            const STest *test = loaded.doc.Tests[static_cast<std::size_t>(i)].get();
            ASSERT_NE(test, nullptr);
            EXPECT_EQ(test->Name, "Тест №" + std::to_string(i + 1));
            EXPECT_EQ(test->Cycles, i + 2);
            EXPECT_EQ(test->StartTact, i);
        }
        for (int i = count; i < kMaxTests; ++i) {
            EXPECT_EQ(loaded.doc.Tests[static_cast<std::size_t>(i)], nullptr);
        }
        EXPECT_TRUE(loaded.ui.Logs().empty());
    }
}

TEST_F(ContainerRoundTrip, LoadingReplacesTheTestsOfAnEarlierFile)
{
    Container c;
    ASSERT_TRUE(LoadContainer(c, PlanWithTests(5)));
    ASSERT_TRUE(LoadContainer(c, PlanWithTests(2), "OTHER.QOR"));
    EXPECT_EQ(c.doc.NTest, 2);
    EXPECT_EQ(c.doc.Tests[2], nullptr);
}

TEST_F(ContainerRoundTrip, TheWaitNoticeIsShownDuringLoadAndSaveAndHiddenAfter)
{
    Container c;
    ASSERT_TRUE(LoadContainer(c, PlanWithTests(1)));
    ASSERT_TRUE(c.file.Save(nullptr));
    EXPECT_EQ(c.ui.Notices(), (std::vector<std::string>{"Выполняется чтение файла. Ждите...",
                                                        "Выполняется запись файла. Ждите..."}));
    EXPECT_FALSE(c.ui.NoticeShown());
}

TEST_F(ContainerRoundTrip, TheTrailerStandsWhereTheLayoutSays)
{
    const std::string plain = testing::MakeContainer(PlanWithTests(2));
    EXPECT_EQ(TrailerOffset(plain), plain.size() - 41) << "Flags 0: one-byte trailer";
    EXPECT_EQ(plain[plain.size() - 41], '\0');
    ContainerPlan locked = PlanWithTests(2);
    locked.flags = kFlagReadPassword | kFlagWritePassword;
    locked.readPassword = "r";
    locked.writePassword = "w";
    const std::string image = testing::MakeContainer(locked);
    EXPECT_EQ(TrailerOffset(image), image.size() - 41 - 64);
    EXPECT_EQ(image.substr(0, 16), std::string("\xA9"
                                               "Diagnostic file"));
}

TEST_F(ContainerRoundTrip, ContentWhoseLengthBeforeTheDigestIsAMultipleOfTheChunkLoads)
{
    for (const std::size_t target : {kDigestChunkSize, 2 * kDigestChunkSize}) {
        ContainerPlan plan;
        // magic 16 + buses 5 + block head 34 + trailer 1 + T and moment 8 = 64.
        const std::size_t generalSize = target - 64;
        const std::string base = GeneralText(0);
        plan.general = base + "FILLER=" + std::string(generalSize - base.size() - 9, 'f') + "\r\n";
        ASSERT_EQ(plan.general.size(), generalSize);
        Container c;
        ASSERT_TRUE(LoadContainer(c, plan));
        EXPECT_EQ(std::filesystem::file_size(Qor()) - 32, target);
        // The digest covers the whole content: the last content byte counts.
        std::string image = ReadBytes(Qor());
        image[image.size() - 33] ^= 1;
        WriteBytes(Qor(), image);
        Container broken;
        broken.doc.FileName = Qor();
        EXPECT_FALSE(broken.file.Load());
        EXPECT_EQ(broken.ui.LogLines(), std::vector<std::string>{kDigestLine});
    }
}

class ContainerPasswords : public BoardFixture
{
};

TEST_F(ContainerPasswords, AReadPasswordIsAskedAndTheRightOneOpensTheFile)
{
    ContainerPlan plan = PlanWithTests(2);
    plan.flags = kFlagReadPassword;
    plan.readPassword = "пароль";
    Container c;
    c.ui.QueuePassword("неверный");
    c.ui.QueuePassword("ещё неверный");
    c.ui.QueuePassword("пароль");
    ASSERT_TRUE(LoadContainer(c, plan));
    EXPECT_EQ(c.ui.PasswordRequests(), 1);
    EXPECT_EQ(Box().Count(), 2u) << "each wrong password gets catalogue message 30";
    EXPECT_EQ(Box().ShownMessages()[0].text, Msg(30));
    EXPECT_EQ(c.doc.Tests[1]->Name, "Тест 2");
    EXPECT_EQ(c.file.ReadPassword(), PadPassword(Utf8ToCp1251("пароль")));
}

TEST_F(ContainerPasswords, AWrongOrMissingReadPasswordStopsTheLoadWithoutALogWindow)
{
    ContainerPlan plan = PlanWithTests(1);
    plan.flags = kFlagReadPassword;
    plan.readPassword = "пароль";
    Container wrong;
    wrong.ui.QueuePassword("другой");
    Box().QueueAnswer(MbCancel);
    EXPECT_FALSE(LoadContainer(wrong, plan));
    EXPECT_TRUE(wrong.ui.Logs().empty());
    EXPECT_EQ(wrong.doc.NTest, 0);
    Container none;
    EXPECT_FALSE(LoadContainer(none, plan));
    EXPECT_TRUE(none.ui.Logs().empty());
}

TEST_F(ContainerPasswords, BlocksOfAProtectedFileDoNotDecipherWithoutThePassword)
{
    ContainerPlan plan = PlanWithTests(0);
    plan.flags = kFlagReadPassword;
    plan.readPassword = "";
    const std::string image = testing::MakeContainer(plan);
    CryptoProvider crypto;
    MemorySource source(image);
    source.Seek(16 + 5);
    // Even the empty password changes the key: its padded form is 32 x 0x07.
    EXPECT_NE(ReadBlock(source, kGeneralBlockIv, 0, "", crypto), plan.general);
    source.Seek(16 + 5);
    EXPECT_EQ(ReadBlock(source, kGeneralBlockIv, kFlagReadPassword, PadPassword(""), crypto),
              plan.general);
}

TEST_F(ContainerPasswords, AProtectedFileKeepsItsFlagsAndPasswordsWhenSavedAgain)
{
    ContainerPlan plan = PlanWithTests(3);
    plan.flags = kFlagReadPassword | kFlagWritePassword;
    plan.readPassword = "чтение";
    plan.writePassword = "запись";
    Container c;
    c.ui.QueuePassword("чтение");
    c.ui.QueuePassword("запись", PasswordRequest::ModeWrite);
    ASSERT_TRUE(LoadContainer(c, plan));
    const Bytes32 writeCheck = c.file.WriteCheck();
    ASSERT_TRUE(c.file.Save(nullptr));

    Container again;
    again.doc.FileName = Qor();
    again.ui.QueuePassword("чтение");
    ASSERT_TRUE(again.file.Load());
    EXPECT_EQ(again.file.Flags(), kFlagReadPassword | kFlagWritePassword);
    EXPECT_EQ(again.file.WriteCheck(), writeCheck);
    EXPECT_EQ(again.doc.Tests[2]->Name, "Тест 3");
}

TEST_F(ContainerPasswords, CancellingTheWritePasswordLeavesTheFileUntouched)
{
    ContainerPlan plan = PlanWithTests(1);
    plan.flags = kFlagWritePassword;
    plan.writePassword = "запись";
    Container c;
    ASSERT_TRUE(LoadContainer(c, plan)) << "no read password needed";
    const std::string before = ReadBytes(Qor());
    c.ui.QueuePassword("не тот", PasswordRequest::ModeWrite);
    Box().QueueAnswer(MbCancel);
    EXPECT_FALSE(c.file.Save(nullptr));
    EXPECT_EQ(ReadBytes(Qor()), before);
    EXPECT_TRUE(c.ui.Logs().empty());
    // A later save asks again against the same stored check value.
    c.ui.QueuePassword("запись", PasswordRequest::ModeWrite);
    EXPECT_TRUE(c.file.Save(nullptr));
    EXPECT_NE(ReadBytes(Qor()), before);
}

class ContainerRefusals : public BoardFixture
{
protected:
    // Loads the bytes as BOARD.QOR; the log lines shown.
    std::vector<std::string> LoadLines(const std::string &bytes, bool *loaded = nullptr)
    {
        WriteBytes(Qor(), bytes);
        Container c;
        c.doc.FileName = Qor();
        const bool ok = c.file.Load();
        if (loaded != nullptr) {
            *loaded = ok;
        }
        EXPECT_FALSE(c.ui.NoticeShown());
        return c.ui.LogLines();
    }
};

TEST_F(ContainerRefusals, FlippingAnySingleByteIsRefused)
{
    const std::string image = testing::MakeContainer(PlanWithTests(1));
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::string broken = image;
        broken[i] = static_cast<char>(broken[i] ^ 0x40);
        bool loaded = true;
        const auto lines = LoadLines(broken, &loaded);
        EXPECT_FALSE(loaded) << "byte " << i;
        const std::string expected = i < 16 ? Msg(20) : kDigestLine;
        EXPECT_EQ(lines, std::vector<std::string>{expected}) << "byte " << i;
    }
}

TEST_F(ContainerRefusals, TruncatedAndTooShortFilesAreRefused)
{
    const std::string image = testing::MakeContainer(PlanWithTests(2));
    EXPECT_EQ(LoadLines(""), std::vector<std::string>{kReadFailureLine});
    EXPECT_EQ(LoadLines(image.substr(0, 10)), std::vector<std::string>{kReadFailureLine});
    EXPECT_EQ(LoadLines(image.substr(0, 16)), std::vector<std::string>{kReadFailureLine});
    EXPECT_EQ(LoadLines(image.substr(0, 57)), std::vector<std::string>{kReadFailureLine});
    for (const std::size_t cut : {std::size_t{58}, image.size() / 2, image.size() - 1}) {
        bool loaded = true;
        const auto lines = LoadLines(image.substr(0, cut), &loaded);
        EXPECT_FALSE(loaded) << cut;
        EXPECT_EQ(lines.size(), 1u) << cut;
    }
}

// Files whose digest is right but whose structure is not: written by a
// faulty program, they must still be refused without reading astray.
TEST_F(ContainerRefusals, StructurallyBrokenFilesWithAValidDigestAreRefused)
{
    // The test blocks, not NTEST, say how many tests there are: a count
    // that disagrees only warns, and every block is loaded.
    ContainerPlan missingBlock = PlanWithTests(1);
    missingBlock.general = GeneralText(2);
    bool loaded = false;
    EXPECT_EQ(LoadLines(testing::MakeContainer(missingBlock), &loaded),
              std::vector<std::string>{
                  "раздел [], ключ NTEST: значение \"2\" не совпадает с числом тестов в файле "
                  "(1), загружены все тесты файла"});
    EXPECT_TRUE(loaded);
    for (const int count : {21, -1}) {
        ContainerPlan wrong = PlanWithTests(0);
        wrong.general = GeneralText(count);
        const auto lines = LoadLines(testing::MakeContainer(wrong), &loaded);
        ASSERT_EQ(lines.size(), 1u) << count;
        EXPECT_NE(lines[0].find("ключ NTEST: значение \"" + std::to_string(count) +
                                "\" не является числом тестов; тестов в файле: 0"),
                  std::string::npos)
            << lines[0];
        EXPECT_TRUE(loaded) << count;
    }
    // More blocks than the records hold refuse the file.
    EXPECT_EQ(LoadLines(testing::MakeContainer(PlanWithTests(21)), &loaded),
              std::vector<std::string>{"Файл содержит больше 20 тестов"});
    EXPECT_FALSE(loaded);

    // T pointing past the trailer's place, digest recomputed.
    std::string image = testing::MakeContainer(PlanWithTests(0));
    image.resize(image.size() - 32);
    image[image.size() - 5] = '\x7F'; // T's high byte
    CryptoProvider crypto;
    AppendDigest(image, crypto);
    EXPECT_EQ(LoadLines(image), std::vector<std::string>{kReadFailureLine});
}

TEST_F(ContainerRefusals, AFileLockedByAnotherCopyCannotBeOpened)
{
    WriteBytes(Qor(), testing::MakeContainer(PlanWithTests(1)));
    const int fd = ::open(Qor().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    Container c;
    c.doc.FileName = Qor();
    EXPECT_FALSE(c.file.Load());
    EXPECT_EQ(c.ui.LogLines(), std::vector<std::string>{kNoAccessLine});
    ::close(fd);
    Container after;
    after.doc.FileName = Qor();
    EXPECT_TRUE(after.file.Load());
}

TEST_F(ContainerRefusals, AMissingFileIsReportedAsNoAccess)
{
    Container c;
    c.doc.FileName = Qor("ABSENT.QOR");
    EXPECT_FALSE(c.file.Load());
    ASSERT_EQ(c.ui.Logs().size(), 1u);
    EXPECT_EQ(c.ui.Logs()[0].kind, LogKind::Load);
    EXPECT_EQ(c.ui.Logs()[0].path, Qor("ABSENT.QOR"));
    EXPECT_EQ(c.ui.LogLines(), std::vector<std::string>{kNoAccessLine});
    EXPECT_EQ(c.ui.Logs()[0].log, kNoAccessLine + "\x02\r\n") << "text, marker 2, CR LF";
    EXPECT_EQ(LogHeading(LogKind::Load, c.ui.Logs()[0].log),
              "При загрузке файла были обнаружены ошибки. Дальнейшая загрузка файла "
              "прекращена.");
}

TEST_F(ContainerRefusals, TheContactFileMustBePresentAndIntact)
{
    ContainerPlan plan = PlanWithTests(2);
    plan.general = GeneralText(2, "MISSING.CNT");
    Container missing;
    EXPECT_FALSE(LoadContainer(missing, plan));
    ASSERT_EQ(missing.ui.Logs().size(), 1u);
    EXPECT_EQ(missing.ui.Logs()[0].path, dir.File("MISSING.CNT"));
    EXPECT_EQ(missing.ui.LogLines(),
              std::vector<std::string>{
                  "Файл контактов \"MISSING.CNT\" отсутствует или к нему нет доступа"});
    EXPECT_EQ(missing.doc.NTest, 0);

    std::string cnt = ReadBytes(dir.File("BOARD.CNT"));
    cnt[cnt.size() - 1] ^= 1;
    WriteBytes(dir.File("BAD.CNT"), cnt);
    plan.general = GeneralText(2, "BAD.CNT");
    Container damaged;
    EXPECT_FALSE(LoadContainer(damaged, plan));
    EXPECT_EQ(damaged.ui.LogLines(),
              std::vector<std::string>{
                  "Файл контактов \"BAD.CNT\" поврежден (не совпадает контрольная сумма)"});
    EXPECT_EQ(damaged.ui.Logs()[0].path, dir.File("BAD.CNT"));

    WriteBytes(dir.File("NOTCNT.CNT"), std::string(100, 'x'));
    plan.general = GeneralText(2, "NOTCNT.CNT");
    Container foreign;
    EXPECT_FALSE(LoadContainer(foreign, plan));
    EXPECT_EQ(foreign.ui.LogLines(),
              std::vector<std::string>{"Файл \"NOTCNT.CNT\" не является файлом контактов"});
}

TEST_F(ContainerRefusals, AContactFileNamedWithAFolderIsLookedUpBesideTheTestFile)
{
    ContainerPlan plan = PlanWithTests(1);
    plan.general = GeneralText(1, "..\\..\\elsewhere\\board.cnt");
    Container c;
    EXPECT_TRUE(LoadContainer(c, plan)) << "BOARD.CNT in another letter case";
    EXPECT_EQ(c.cnt.FileName, dir.File("BOARD.CNT"));
}

TEST_F(ContainerRefusals, AFileCarryingAnEditorErrorLogIsRefusedWithTheErrorsWindow)
{
    ContainerPlan plan = PlanWithTests(1);
    plan.general = "[]\r\nCNT=BOARD.CNT\r\nNTEST=1\r\nFLOGERROR=" +
                   Utf8ToCp1251("Тест 1: нет слова\x07Тест 2: нет шины") + "\r\n";
    Container c;
    EXPECT_FALSE(LoadContainer(c, plan));
    EXPECT_TRUE(c.ui.Logs().empty());
    ASSERT_EQ(c.ui.FileErrors().size(), 1u);
    EXPECT_EQ(c.ui.FileErrors()[0], "Данный файл содержит ошибки.\r\n" + Msg(24) +
                                        "\r\nТест 1: нет слова\r\nТест 2: нет шины");
    EXPECT_EQ(c.doc.FLogError, "Тест 1: нет слова\r\nТест 2: нет шины");
}

class ContainerSaving : public BoardFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadContainer(c, PlanWithTests(3)));
        before = ReadBytes(Qor());
    }
    // Saves through the save choice dialog, answered with this choice.
    bool SaveWithChoice(const ScriptedFileUi::SaveChoice &choice)
    {
        SSaveParam param;
        c.ui.SetSaveChoice(choice);
        return c.file.Save(&param);
    }
    bool SaveAs(const std::string &name)
    {
        ScriptedFileUi::SaveChoice choice;
        choice.fileName = name;
        return SaveWithChoice(choice);
    }
    Container c;
    std::string before;
};

TEST_F(ContainerSaving, AReadOnlyTargetAnsweredNoIsLeftByteIdentical)
{
    ::chmod(Qor().c_str(), 0444);
    Box().QueueAnswer(MbNo);
    EXPECT_FALSE(c.file.Save(nullptr));
    EXPECT_EQ(ReadBytes(Qor()), before);
    ASSERT_EQ(Box().Count(), 1u);
    EXPECT_EQ(Box().ShownMessages()[0].text,
              "Файл \"BOARD.QOR\" имеет атрибут \"Только для чтения\". " + Msg(25));
    EXPECT_EQ(Box().ShownMessages()[0].flags, MbQuestion);
    EXPECT_TRUE(c.ui.Logs().empty());
}

TEST_F(ContainerSaving, AReadOnlyTargetAnsweredYesBecomesWritableAndIsSaved)
{
    ::chmod(Qor().c_str(), 0444);
    Box().QueueAnswer(MbYes);
    EXPECT_TRUE(c.file.Save(nullptr));
    EXPECT_NE(ReadBytes(Qor()), before);
    EXPECT_FALSE(IsReadOnlyFile(Qor()));
}

// A disk that fails half-way through the write.
class FailingStore : public FileStore
{
protected:
    bool WriteAll(int fd, std::string_view bytes) override
    {
        FileStore::WriteAll(fd, bytes.substr(0, bytes.size() / 2));
        return false;
    }
};

TEST_F(ContainerSaving, AFailingWriteLeavesTheOldFileByteIdenticalAndNoTemporaryFile)
{
    Container failing(std::make_unique<FailingStore>());
    failing.doc.FileName = Qor();
    ASSERT_TRUE(failing.file.Load());
    EXPECT_FALSE(failing.file.Save(nullptr));
    EXPECT_EQ(ReadBytes(Qor()), before);
    EXPECT_EQ(failing.ui.LogLines(), std::vector<std::string>{kWriteFailureLine});
    EXPECT_EQ(failing.ui.Logs()[0].kind, LogKind::Save);
    EXPECT_EQ(LogHeading(LogKind::Save, failing.ui.Logs()[0].log),
              "При записи файла на диск были обнаружены ошибки. Файл записать не удалось.");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 2u) << "only BOARD.QOR and BOARD.CNT";
}

TEST_F(ContainerSaving, ABlockTooLongForItsLengthFieldRefusesTheSaveAndWritesNothing)
{
    c.doc.Tests[1]->Name = std::string(70000, 'n');
    EXPECT_FALSE(c.file.Save(nullptr));
    EXPECT_EQ(ReadBytes(Qor()), before);
    ASSERT_EQ(c.ui.LogLines().size(), 1u);
    EXPECT_EQ(c.ui.LogLines()[0].find("Данные теста №2 занимают"), 0u);
}

TEST_F(ContainerSaving, ATextWithoutAWindows1251FormIsShownInAnErrorBox)
{
    c.doc.FTitle = "Плата \u4E2D";
    EXPECT_FALSE(c.file.Save(nullptr));
    EXPECT_EQ(ReadBytes(Qor()), before);
    EXPECT_EQ(Box().Count(), 1u);
    EXPECT_EQ(Box().ShownMessages()[0].flags, MbError);
    EXPECT_TRUE(c.ui.Logs().empty());
}

TEST_F(ContainerSaving, SaveAsCopiesTheCommentFileBesideTheNewName)
{
    WriteBytes(dir.File("BOARD.TXT"), "comments");
    ASSERT_TRUE(SaveAs("COPY.QOR"));
    EXPECT_EQ(c.ui.SaveChoiceRequests(), 1);
    EXPECT_EQ(c.doc.FileName, dir.File("COPY.QOR"));
    EXPECT_EQ(c.txt.FileName, dir.File("COPY.TXT"));
    EXPECT_EQ(ReadBytes(dir.File("COPY.TXT")), "comments");
    EXPECT_EQ(ReadBytes(Qor()), before) << "the old file stays as it was";
    Container copy;
    copy.doc.FileName = dir.File("COPY.QOR");
    EXPECT_TRUE(copy.file.Load());
}

TEST_F(ContainerSaving, SaveToTheSameNameInOtherLetterCaseCopiesNoCommentFile)
{
    WriteBytes(dir.File("BOARD.TXT"), "comments");
    ASSERT_TRUE(SaveAs("board.qor"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("board.TXT")));
}

TEST_F(ContainerSaving, ACancelledSaveChoiceWritesNothing)
{
    ScriptedFileUi::SaveChoice choice;
    choice.cancel = true;
    EXPECT_FALSE(SaveWithChoice(choice));
    EXPECT_EQ(ReadBytes(Qor()), before);
    EXPECT_TRUE(c.ui.Notices().size() == 1) << "only the load notice";
}

TEST_F(ContainerSaving, TheBackupOptionKeepsThePreviousFile)
{
    ScriptedFileUi::SaveChoice choice;
    choice.backup = true;
    ASSERT_TRUE(SaveWithChoice(choice));
    EXPECT_EQ(ReadBytes(Qor() + ".bak"), before);
}

} // namespace
} // namespace qv
