// qortool export and run --junit: the demo board's test as a value change
// dump read back by a reader of its own, as CSV, and a run as JUnit XML.

#include "qortoolprocess.h"
#include "support/qt/demoboardcopy.h"
#include "support/qt/toolrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <vector>

namespace {

using qv::testing::Qortool;
using qv::testing::ToolRun;

std::string ReadAll(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A value change dump as a viewer reads it: the header sections, the
// variables with their scope path, and every change with its time.
struct Dump
{
    struct Var
    {
        std::string type;
        int width = 0;
        std::string path; // scopes and name joined by "."
    };
    std::map<std::string, std::string> sections; // $date, $version, $timescale...
    std::map<std::string, Var> vars;             // by identifier
    std::map<std::string, std::string> idOf;     // path -> identifier
    // path -> (time, value) in order; vectors without their "b".
    std::map<std::string, std::vector<std::pair<long, std::string>>> changes;
    bool definitionsEnded = false;
    int openScopes = 0;
    std::string problem;

    // The value of a variable at a time (the last change at or before it).
    std::string ValueAt(const std::string &path, long time) const
    {
        std::string value;
        const auto found = changes.find(path);
        if (found == changes.end())
            return "?";
        for (const auto &[when, what] : found->second)
            if (when <= time)
                value = what;
        return value;
    }
    std::vector<long> TimesOf(const std::string &path) const
    {
        std::vector<long> times;
        if (const auto found = changes.find(path); found != changes.end())
            for (const auto &change : found->second)
                times.push_back(change.first);
        return times;
    }
};

Dump ParseDump(const std::string &text)
{
    Dump dump;
    std::istringstream in(text);
    std::vector<std::string> scopes;
    std::string token;
    long time = -1;
    const auto until = [&in](std::vector<std::string> &words) {
        std::string word;
        while (in >> word && word != "$end")
            words.push_back(word);
        return word == "$end";
    };
    while (in >> token) {
        if (token == "$scope" || token == "$var" || token == "$upscope" ||
            token == "$enddefinitions" || token == "$dumpvars" || token == "$end") {
            if (token == "$dumpvars" || token == "$end")
                continue; // the initial values read as changes
            std::vector<std::string> words;
            if (!until(words)) {
                dump.problem = "unterminated " + token;
                return dump;
            }
            if (token == "$scope") {
                scopes.push_back(words.at(1));
                ++dump.openScopes;
            } else if (token == "$upscope") {
                scopes.pop_back();
                --dump.openScopes;
            } else if (token == "$enddefinitions") {
                dump.definitionsEnded = true;
            } else {
                std::string path;
                for (const auto &scope : scopes)
                    path += scope + ".";
                path += words.at(3);
                dump.vars[words.at(2)] = {words.at(0), std::stoi(words.at(1)), path};
                dump.idOf[path] = words.at(2);
            }
        } else if (token.starts_with("$")) {
            std::vector<std::string> words;
            until(words);
            std::string joined;
            for (const auto &word : words)
                joined += (joined.empty() ? "" : " ") + word;
            dump.sections[token] = joined;
        } else if (token[0] == '#') {
            const long next = std::stol(token.substr(1));
            if (next <= time)
                dump.problem = "time goes back at " + token;
            time = next;
        } else {
            std::string value, id;
            if (token[0] == 'b') {
                value = token.substr(1);
                in >> id;
            } else {
                value = token.substr(0, 1);
                id = token.substr(1);
            }
            const auto var = dump.vars.find(id);
            if (var == dump.vars.end() || !dump.definitionsEnded || time < 0) {
                dump.problem = "change of an undeclared or early variable " + id;
                return dump;
            }
            if (static_cast<int>(value.size()) != var->second.width)
                dump.problem = "width of " + var->second.path;
            dump.changes[var->second.path].emplace_back(time, value);
        }
    }
    return dump;
}

class QortoolExport : public qv::testing::DemoBoardCopy
{
protected:
    void SetUp() override
    {
        DemoBoardCopy::SetUp();
        stuck = Board("[Board]\nTactTime=0\nStuckHigh=1\n");
    }
    QString stuck;
};

TEST_F(QortoolExport, TheDemoTestDumpsItsContactsAndWordsTactByTact)
{
    const QString out = dir.filePath("t1.vcd");
    const ToolRun run = Qortool({"export", demo, "--test", "1", "--format", "vcd", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Dump dump = ParseDump(ReadAll(out));
    ASSERT_TRUE(dump.problem.empty()) << dump.problem;
    EXPECT_TRUE(dump.definitionsEnded);
    EXPECT_EQ(dump.openScopes, 0);
    EXPECT_EQ(dump.sections.at("$timescale"), "1 us");
    EXPECT_NE(dump.sections.at("$version").find("Quorvik"), std::string::npos);
    EXPECT_NE(dump.sections.at("$comment").find("DEMO.QOR, test 1"), std::string::npos);

    // The test's four contacts, its two input and three output words, the
    // cycle; no read values before a run.
    EXPECT_EQ(dump.vars.size(), 4u + 2u + 3u + 1u);
    for (const char *contact : {"RD", "WR", "CS", "СБРОС"})
        EXPECT_EQ(dump.vars.at(dump.idOf.at(std::string("Шина_данных.contacts.") + contact)).width,
                  1)
            << contact;
    const std::string ref = "Шина_данных.reference.";
    EXPECT_EQ(dump.vars.at(dump.idOf.at(ref + "o2_Готовность")).width, 4);
    EXPECT_EQ(dump.vars.at(dump.idOf.at(ref + "i1_Данные")).width, 8);
    for (const auto &[path, var] : dump.vars)
        EXPECT_EQ(path.find(".read."), std::string::npos) << path;

    // 2 cycles of 20 tacts from tact 1: cycle 2 starts at time 20. i1 is
    // driven in tact 7, o1 read in tact 9 of every cycle.
    EXPECT_EQ(dump.TimesOf(ref + "i1_Данные"), (std::vector<long>{0, 6, 26}));
    EXPECT_EQ(dump.ValueAt(ref + "i1_Данные", 5), "xxxxxxxx");
    EXPECT_EQ(dump.ValueAt(ref + "i1_Данные", 6), "01010101");
    EXPECT_EQ(dump.ValueAt(ref + "i1_Данные", 26), "10101010");
    EXPECT_EQ(dump.ValueAt(ref + "o1_Чтение_данных", 8), "01010101");
    EXPECT_EQ(dump.ValueAt(ref + "o1_Чтение_данных", 28), "10101010");
    EXPECT_EQ(dump.ValueAt("Шина_данных.cycle", 19), std::string(31, '0') + "1");
    EXPECT_EQ(dump.ValueAt("Шина_данных.cycle", 20), std::string(30, '0') + "10");
    // RD: high, low from tact 12 to tact 15, high again.
    EXPECT_EQ(dump.ValueAt("Шина_данных.contacts.RD", 0), "1");
    EXPECT_EQ(dump.ValueAt("Шина_данных.contacts.RD", 11), "0");
    EXPECT_EQ(dump.ValueAt("Шина_данных.contacts.RD", 15), "1");
}

TEST_F(QortoolExport, AfterARunTheReadValuesAreSignalsOfTheirOwn)
{
    const QString out = dir.filePath("t1run.vcd");
    const ToolRun run = Qortool(
        {"export", demo, "--test", "1", "--format", "vcd", "--run", "--board", stuck, "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Тест завершен с ошибками"), std::string::npos) << run.out;
    const Dump dump = ParseDump(ReadAll(out));
    ASSERT_TRUE(dump.problem.empty()) << dump.problem;
    const std::string read = "Шина_данных.read.o1_Чтение_данных";
    ASSERT_TRUE(dump.idOf.count(read)) << "no read signal";
    EXPECT_EQ(dump.ValueAt(read, 8), "01010101");
    EXPECT_EQ(dump.ValueAt(read, 28), "10101011"); // the stuck bit 0
    EXPECT_EQ(dump.ValueAt("Шина_данных.reference.o1_Чтение_данных", 28), "10101010");
}

TEST_F(QortoolExport, TheCsvHasOneRowPerWordAndCycleWithTheResults)
{
    const QString before = dir.filePath("t1.csv");
    ASSERT_EQ(Qortool({"export", demo, "--test", "1", "--format", "csv", "-o", before}).exitCode,
              0);
    const QString after = dir.filePath("t1run.csv");
    const ToolRun run = Qortool(
        {"export", demo, "--test", "1", "--format", "csv", "--run", "--board", stuck, "-o", after});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    for (const QString &path : {before, after}) {
        std::istringstream lines(ReadAll(path));
        std::vector<std::string> rows;
        for (std::string line; std::getline(lines, line);) {
            ASSERT_TRUE(line.ends_with('\r')) << line;
            line.pop_back();
            rows.push_back(line);
        }
        // The header and 2 cycles of 2 input and 3 output words.
        ASSERT_EQ(rows.size(), 11u) << path.toStdString();
        EXPECT_EQ(rows[0], "тест,цикл,слово,имя,такт,эталон,прочитано,результат");
        for (const auto &row : rows)
            EXPECT_EQ(std::count(row.begin(), row.end(), ','), 7) << row;
    }
    const std::string csv = ReadAll(after);
    EXPECT_NE(csv.find("1,2,o1,Чтение данных,9,170,171,ошибка\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("1,1,o1,Чтение данных,9,85,85,верно\r\n"), std::string::npos) << csv;
    EXPECT_NE(ReadAll(before).find("1,2,o1,Чтение данных,9,170,,\r\n"), std::string::npos);
}

TEST_F(QortoolExport, AnUnwritablePathOrAFailedRunLeavesNoFile)
{
    // The target is a folder: the rename over it fails, nothing is left.
    const QString folder = dir.filePath("taken.vcd");
    ASSERT_TRUE(QDir().mkdir(folder));
    const ToolRun taken = Qortool({"export", demo, "--test", "1", "--format", "vcd", "-o", folder});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_NE(taken.err.find("не удалось записать файл"), std::string::npos) << taken.err;
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const QString missing = dir.filePath("no/such/folder/t.csv");
    const ToolRun nowhere =
        Qortool({"export", demo, "--test", "1", "--format", "csv", "-o", missing});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.err.find("не удалось записать файл"), std::string::npos) << nowhere.err;

    // A unit that is not there: the run is not made, no file is written.
    const QString out = dir.filePath("norun.csv");
    const ToolRun noUnit = Qortool({"export", demo, "--test", "1", "--format", "csv", "--run",
                                    "--unit", "tcp://127.0.0.1:1", "-o", out});
    EXPECT_EQ(noUnit.exitCode, 1) << noUnit.out;
    EXPECT_NE(noUnit.err.find("запуск теста не выполнен"), std::string::npos) << noUnit.err;
    EXPECT_FALSE(QFileInfo::exists(out));

    const QStringList leftovers = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : leftovers)
        EXPECT_FALSE(name.contains(QStringLiteral("taken")) || name.contains("norun"))
            << name.toStdString();

    EXPECT_EQ(Qortool({"export", demo, "--format", "png", "-o", out}).exitCode, 2);
    EXPECT_EQ(Qortool({"export", demo, "--test", "9", "--format", "csv", "-o", out}).exitCode, 1);
}

TEST_F(QortoolExport, AJUnitReportHasATestCasePerTestAndTheWrongWords)
{
    const QString xmlPath = dir.filePath("run.xml");
    const ToolRun run = Qortool({"run", demo, "--all", "--board", stuck, "--junit", xmlPath});
    ASSERT_EQ(run.exitCode, 1) << run.out << run.err;

    QFile file(xmlPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<QString> cases;
    std::map<QString, QString> failures; // case -> message and text
    QString current;
    int suites = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QStringLiteral("testsuite")) {
            ++suites;
            EXPECT_EQ(xml.attributes().value("tests").toString(), "3");
            EXPECT_EQ(xml.attributes().value("failures").toString(), "1");
        } else if (xml.name() == QStringLiteral("testcase")) {
            current = xml.attributes().value("name").toString();
            cases.push_back(current);
        } else if (xml.name() == QStringLiteral("failure")) {
            const QString message = xml.attributes().value("message").toString();
            failures[current] = message + "|" + xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suites, 1);
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases[0], QStringLiteral("Тест №1 \"Шина данных\""));
    ASSERT_EQ(failures.size(), 1u);
    const QString failure = failures[cases[0]];
    // The message names the contact at fault after the count.
    EXPECT_TRUE(failure.startsWith(
        QStringLiteral("2 ошибки. Диагноз: контакт 1 «D0» — постоянно 1, объясняет 2 ошибки|")))
        << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("o1 (Чтение данных), цикл 2: эталон 170, "
                                                "прочитано 171")))
        << failure.toStdString();

    // A single test's run: the tests it does not call are skipped.
    const QString one = dir.filePath("one.xml");
    ASSERT_EQ(Qortool({"run", demo, "--test", "2", "--junit", one}).exitCode, 0);
    const std::string text = ReadAll(one);
    EXPECT_NE(text.find("skipped=\"2\""), std::string::npos) << text;
    EXPECT_NE(text.find("failures=\"0\""), std::string::npos) << text;
}

} // namespace
