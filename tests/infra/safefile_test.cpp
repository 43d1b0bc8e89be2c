#include "infra/safefile.h"
#include "infra/systemerror.h"
#include "support/common/tempdir.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

TEST(InputFile, RefusesAPipeAFolderAndAnOversizedFileWithoutWaiting)
{
    TempDir dir;
    const fs::path pipe = dir.Path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    fs::create_directories(dir.Path() / "folder");
    WriteBytes(dir.File("big"), std::string(11, 'x'));

    std::string error;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(InputFile::Open(pipe, 100, &error));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(Has(error, "не является обычным файлом (это именованный канал)")) << error;
    EXPECT_TRUE(Has(error, pipe.string())) << error;

    EXPECT_FALSE(ReadInputFile(dir.Path() / "folder", 100, &error));
    EXPECT_TRUE(Has(error, "(это папка)")) << error;
    EXPECT_FALSE(ReadInputFile("/dev/zero", 100, &error));
    EXPECT_TRUE(Has(error, "(это устройство)")) << error;
    EXPECT_FALSE(ReadInputFile(dir.File("big"), 10, &error));
    EXPECT_TRUE(Has(error, "превышает допустимый размер: 11 байт")) << error;
    EXPECT_FALSE(ReadInputFile(dir.File("absent"), 10, &error));
    EXPECT_TRUE(Has(error, "не найден")) << error;

    EXPECT_EQ(ReadInputFile(dir.File("big"), 11), std::string(11, 'x'));
    fs::create_symlink(dir.Path() / "big", dir.Path() / "link");
    EXPECT_EQ(ReadInputFile(dir.Path() / "link", 11), std::string(11, 'x'));
}

TEST(ReplaceFileContent, ALinkIsReplacedOrFollowedAsTheCallerSays)
{
    TempDir dir;
    const fs::path target = dir.Path() / "target";
    const fs::path link = dir.Path() / "link";
    WriteBytes(target, "keep me");
    fs::create_symlink(target, link);

    ASSERT_TRUE(ReplaceFileContent(link, "new", LinkAtTarget::Replace).Ok());
    EXPECT_EQ(ReadBytes(target), "keep me");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(link)));
    EXPECT_EQ(ReadBytes(link), "new");

    fs::remove(link);
    fs::create_symlink(target, link);
    ASSERT_TRUE(ReplaceFileContent(link, "followed", LinkAtTarget::Follow).Ok());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(ReadBytes(target), "followed");
}

TEST(ReplaceFileContent, AFolderOrAPipeOfAMadeUpNameIsRefusedAndLeftAlone)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "folder");
    const fs::path pipe = dir.Path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    for (const LinkAtTarget links : {LinkAtTarget::Follow, LinkAtTarget::Replace}) {
        const WriteOutcome outcome = ReplaceFileContent(dir.Path() / "folder", "x", links);
        EXPECT_TRUE(outcome.targetRefused);
        EXPECT_TRUE(Has(outcome.problem, "(это папка)")) << outcome.problem;
    }
    const WriteOutcome outcome = ReplaceFileContent(pipe, "x", LinkAtTarget::Replace);
    EXPECT_TRUE(outcome.targetRefused);
    EXPECT_TRUE(Has(outcome.problem, "именованный канал")) << outcome.problem;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder"));
}

TEST(ReplaceFileContent, ADeviceIsWrittenDirectlyAndStaysADevice)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a device node needs root to make";
    TempDir dir;
    const fs::path node = dir.Path() / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_TRUE(ReplaceFileContent(node, "bytes", LinkAtTarget::Follow).Ok());
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(node)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(ReplaceFileContent, AFailedWriteKeepsTheOldContentAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const fs::path file = dir.Path() / "X.QOR";
    WriteBytes(file, "old");
    const WriteSteps failing{[](int, std::string_view) { return false; }, [](int) { return true; }};
    const WriteOutcome outcome = ReplaceFileContent(file, "new", LinkAtTarget::Follow, &failing);
    EXPECT_FALSE(outcome.Ok());
    EXPECT_FALSE(outcome.targetRefused);
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(WriteOutputFile, ADashIsStandardOutputAndAFullOneFails)
{
    // Standard output is pointed at /dev/full for the call and back.
    const int saved = ::dup(STDOUT_FILENO);
    ASSERT_GE(saved, 0);
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ::dup2(full, STDOUT_FILENO);
    const std::string problem = WriteOutputFile("-", "bytes");
    ::dup2(saved, STDOUT_FILENO);
    ::close(full);
    ::close(saved);
    EXPECT_TRUE(Has(problem, "стандартный вывод")) << problem;
}

// The system's words in brackets are those the system gives for the number,
// from any thread.
TEST(SystemErrorText, IsTheSystemsTextOfTheErrorNumber)
{
    for (const int error : {ENOENT, EACCES, ENOSPC, ECONNREFUSED})
        EXPECT_EQ(SystemErrorText(error), std::strerror(error));
    EXPECT_FALSE(SystemErrorText(123456).empty());
}

} // namespace
} // namespace qv
