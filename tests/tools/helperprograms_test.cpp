// The helper programs the main window starts, run as processes.

#include "support/tempdir.h"
#include "support/toolrun.h"

#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

namespace qv::testing {
namespace {

QString Program(const char *name)
{
    return qEnvironmentVariable("QORVIK_BINARY_DIR") + QStringLiteral("/bin/") +
           QString::fromLatin1(name);
}

// Runs a program with extra environment variables.
ToolRun RunWith(const QString &program, const QStringList &arguments,
                const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : environment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

TEST(HelperPrograms, EachAnswersHelpWithItsUsage)
{
    for (const char *name : {"quorvik-edit"}) {
        const ToolRun run = RunTool(Program(name), {QStringLiteral("--help")});
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.out.rfind("Использование: " + std::string(name), 0), 0u) << run.out;
    }
}

class TestEditor : public ::testing::Test
{
protected:
    TestEditor()
    {
        const std::filesystem::path demo =
            std::filesystem::path(qEnvironmentVariable("QORVIK_BINARY_DIR").toStdString()) /
            "examples" / "demo";
        for (const char *name : {"DEMO.QOR", "DEMO.CNT", "DEMO.TXT"})
            std::filesystem::copy_file(demo / name, dir.Path() / name);
    }
    // Edits the demo with a text editor that runs `script` on the text.
    ToolRun Edit(const std::string &script)
    {
        const std::string editor = dir.File("editor.sh");
        WriteBytes(editor, "#!/bin/sh\n" + script + "\n");
        std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
        return RunWith(Program("quorvik-edit"), {QString::fromStdString(dir.File("DEMO.QOR"))},
                       {QStringLiteral("VISUAL=") + QString::fromStdString(editor),
                        QStringLiteral("QUORVIK_EDIT_BATCH=1")});
    }
    TempDir dir;
};

TEST_F(TestEditor, AnEditedNameIsPackedBackAndLoads)
{
    const std::string before = ReadBytes(dir.File("DEMO.QOR"));
    ToolRun run = Edit("sed -i 's/^NAME=Память$/NAME=Память 2/' \"$1\"");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(ReadBytes(dir.File("DEMO.QOR")), before);

    // The text comes back with the change, and unchanged text leaves the
    // file untouched.
    const std::string copy = dir.File("seen.txt");
    run = Edit("cp \"$1\" '" + copy + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(ReadBytes(copy).find("\nNAME=Память 2\n"), std::string::npos);
    const std::string after = ReadBytes(dir.File("DEMO.QOR"));
    EXPECT_EQ(Edit("true").exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), after);
}

TEST_F(TestEditor, TextThatDoesNotPackOrLoadLeavesTheFileByteForByte)
{
    const std::string before = ReadBytes(dir.File("DEMO.QOR"));
    ToolRun run = Edit("sed -i 's/^BUS 1 2 3/BUS 1 2 X/' \"$1\"");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("не упаковывается"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);

    run = Edit("sed -i 's/^NTEST=3$/NTEST=7/' \"$1\"");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("не загружается"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);

    // An editor that quits with an error drops the edit.
    run = Edit("echo garbage > \"$1\"; exit 3");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);
}

} // namespace
} // namespace qv::testing
