// The helper programs the main window starts, run as processes: the test
// editor on its own, the byte splitter from the command line, and the usage
// every one of them prints.

#include "support/common/tempdir.h"
#include "support/qt/toolrun.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>

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
    for (const char *name : {"quorvik-edit", "quorvik-splitbytes", "quorvik-selftest"}) {
        const ToolRun run = RunTool(Program(name), {QStringLiteral("--help")});
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.out.rfind("Использование: " + std::string(name), 0), 0u) << run.out;
    }
}

class ByteSplitter : public ::testing::Test
{
protected:
    QString File(const char *name) const { return QString::fromStdString(dir.File(name)); }
    ToolRun Split(const QStringList &arguments)
    {
        return RunTool(Program("quorvik-splitbytes"), arguments);
    }
    TempDir dir;
};

TEST_F(ByteSplitter, SplitsWordsIntoLowAndHighBytesAndJoinsThemBack)
{
    const std::string words("\x34\x12\x78\x56\xBC\x9A", 6);
    WriteBytes(dir.File("rom.dat"), words);
    ToolRun run = Split({QStringLiteral("--split"), File("rom.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("rom_L.dat")), std::string("\x34\x78\xBC", 3));
    EXPECT_EQ(ReadBytes(dir.File("rom_H.dat")), std::string("\x12\x56\x9A", 3));

    run = Split({QStringLiteral("--join"), File("rom_L.dat"), File("rom_H.dat"), File("back.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("back.dat")), words);
    // Without a name the joined file takes the low file's name without "_L".
    std::filesystem::remove(dir.File("rom.dat"));
    run = Split({QStringLiteral("--join"), File("rom_L.dat"), File("rom_H.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("rom.dat")), words);
}

TEST_F(ByteSplitter, RefusesOddEmptyOversizedAndMismatchedFilesWritingNothing)
{
    WriteBytes(dir.File("odd.dat"), std::string("\x01\x02\x03", 3));
    ToolRun run = Split({QStringLiteral("--split"), File("odd.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("нечётное число байт (3)"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("odd_L.dat")));

    WriteBytes(dir.File("empty.dat"), "");
    run = Split({QStringLiteral("--split"), File("empty.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("не содержит данных"), std::string::npos) << run.err;

    WriteBytes(dir.File("big.dat"), std::string(1048576 + 2, '\0'));
    run = Split({QStringLiteral("--split"), File("big.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("превышает допустимый размер"), std::string::npos) << run.err;
    WriteBytes(dir.File("max.dat"), std::string(1048576, '\x5A'));
    EXPECT_EQ(Split({QStringLiteral("--split"), File("max.dat")}).exitCode, 0);

    WriteBytes(dir.File("a_L.dat"), "ab");
    WriteBytes(dir.File("a_H.dat"), "abc");
    run = Split({QStringLiteral("--join"), File("a_L.dat"), File("a_H.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("разного размера"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.dat")));

    EXPECT_EQ(Split({QStringLiteral("--split")}).exitCode, 2);
}

TEST_F(ByteSplitter, AMissingFileAFolderOrAPipeIsToldInRussianWithoutWaiting)
{
    std::filesystem::create_directories(dir.File("folder.dat"));
    ASSERT_EQ(::mkfifo(dir.File("pipe.dat").c_str(), 0644), 0);
    const std::pair<const char *, const char *> cases[] = {
        {"absent.dat", "не найден"},
        {"folder.dat", "(это папка)"},
        {"pipe.dat", "(это именованный канал)"},
    };
    for (const auto &[name, said] : cases) {
        const ToolRun run = Split({QStringLiteral("--split"), File(name)});
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("directory"), std::string::npos) << run.err;
    }
}

TEST(SelfTest, AReportNamingAFolderIsRefusedInRussian)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("report"));
    const ToolRun run =
        RunTool(Program("quorvik-selftest"), {QStringLiteral("--batch"), QStringLiteral("--report"),
                                              QString::fromStdString(dir.File("report"))});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE((run.out + run.err).find("Не удалось записать отчёт"), std::string::npos)
        << run.out << run.err;
    EXPECT_NE((run.out + run.err).find("(это папка)"), std::string::npos) << run.out << run.err;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("report")));
}

TEST(SelfTest, ReportsEachCheckAndNamesTheFaultsOfTheUnit)
{
    TempDir dir;
    WriteBytes(dir.File("sound.ini"), "[Currents]\nSupply=+5 В:320:500\n");
    ToolRun run = RunTool(Program("quorvik-selftest"),
                          {QStringLiteral("--batch"), QStringLiteral("--address"),
                           QString::fromStdString("sim:" + dir.File("sound.ini")),
                           QStringLiteral("--report"), QString::fromStdString(dir.File("r.txt"))});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadBytes(dir.File("r.txt")), run.out);
    for (const char *line :
         {"Связь с блоком диагностики: норма\n", "Сброс блока: норма\n",
          "Контроль входов/выходов: норма\n", "Контроль токов: норма\n", "Итог: блок исправен\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    EXPECT_NE(run.out.find("Сведения о сборке блока: норма ("), std::string::npos) << run.out;

    WriteBytes(dir.File("faulty.ini"), "[Currents]\nSupply=+5 В:620:500\n[IoCheck]\nFaults=7\n");
    run = RunTool(Program("quorvik-selftest"),
                  {QStringLiteral("--batch"), QStringLiteral("--address"),
                   QString::fromStdString("sim:" + dir.File("faulty.ini")),
                   QStringLiteral("--report"), QString::fromStdString(dir.File("r.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Контроль входов/выходов: ОШИБКА ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Контроль токов: ОШИБКА ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Итог: обнаружены неисправности"), std::string::npos) << run.out;

    // No unit at the address: the link fails and nothing else is tried.
    run = RunTool(Program("quorvik-selftest"),
                  {QStringLiteral("--batch"), QStringLiteral("--address"),
                   QStringLiteral("tcp://127.0.0.1:9"), QStringLiteral("--report"),
                   QString::fromStdString(dir.File("r.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Связь с блоком диагностики: ОШИБКА"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Контроль токов"), std::string::npos) << run.out;
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

    // A file the program refuses to open (the editor's own error log).
    run = Edit("sed -i 's/^FLOGERROR=$/FLOGERROR=ошибка/' \"$1\"");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("не загружается"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);

    // An editor that quits with an error drops the edit.
    run = Edit("echo garbage > \"$1\"; exit 3");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);
}

TEST(TestEditorLink, AWindowThatTricklesItsAnswerDoesNotKeepTheEditorWaiting)
{
    // A window that starts an answer announcing 100 bytes of data and then
    // sends one byte a second: every single wait is short, the whole is not.
    const quint64 id = 0x5EED0000u + static_cast<quint64>(QCoreApplication::applicationPid());
    QLocalServer window;
    QLocalServer::removeServer(QStringLiteral("quorvik-edit-%1").arg(id));
    ASSERT_TRUE(window.listen(QStringLiteral("quorvik-edit-%1").arg(id)));
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVIK_EDIT_BATCH"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    editor.setProcessEnvironment(env);
    editor.start(Program("quorvik-edit"), {QStringLiteral("STR_CONNECT_QOR_EDIT*%1").arg(id)});
    ASSERT_TRUE(window.waitForNewConnection(10000));
    QLocalSocket *link = window.nextPendingConnection();
    ASSERT_NE(link, nullptr);
    const QByteArray header("\0\0\0\0\0\0\0\0\x64\0\0\0", 12);
    link->write(header);
    link->waitForBytesWritten(1000);
    const auto started = std::chrono::steady_clock::now();
    while (editor.state() != QProcess::NotRunning &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(30)) {
        link->write(QByteArray(1, '\0'));
        link->waitForBytesWritten(1000);
        editor.waitForFinished(1000);
    }
    const auto took = std::chrono::steady_clock::now() - started;
    if (editor.state() != QProcess::NotRunning) {
        editor.kill();
        editor.waitForFinished();
    }
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_EQ(editor.exitCode(), 1);
    EXPECT_NE(editor.readAllStandardError().indexOf("Нет связи с окном программы"), -1);
}

TEST_F(TestEditor, AFolderLeftWhereTheTextWasEndsTheEditWithAMessage)
{
    const std::string before = ReadBytes(dir.File("DEMO.QOR"));
    const ToolRun run = Edit("rm -f \"$1\" && mkdir \"$1\"");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("Не удалось прочитать изменённый текст теста"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("это папка"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("DEMO.QOR")), before);
}

} // namespace
} // namespace qv::testing
