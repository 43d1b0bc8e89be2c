// qortool run names the contacts at fault after the wrong words, in the
// JSON report and in the JUnit report; qortool coverage tells which faults
// the demo board's tests can see. A randomized campaign of faults injected
// into the simulated unit checks both against the board that really ran.

#include "support/qt/demoboardcopy.h"
#include "support/qt/toolrun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <set>

namespace {

using qv::testing::ToolRun;

// A fault as the simulated board takes it and the diagnosis names it.
struct InjectedFault
{
    std::string kind; // the diagnosis's name
    int a = 0;
    int b = 0; // 0 for a stuck contact

    // The board file's key and its value for this fault.
    std::string Key() const
    {
        if (kind == "stuck-low")
            return "StuckLow";
        if (kind == "stuck-high")
            return "StuckHigh";
        if (kind == "bridge-and")
            return "BridgedAnd";
        return kind == "bridge-or" ? "BridgedOr" : "Swapped";
    }
    std::string Value() const
    {
        std::string value = std::to_string(a);
        if (b)
            value.append("-").append(std::to_string(b));
        return value;
    }
    std::string BoardLine() const { return Key() + "=" + Value() + "\n"; }
    std::string Text() const { return kind + " " + Value(); }
    // The same fault as a diagnosis entry names it.
    bool Is(const QJsonObject &entry) const
    {
        const QJsonArray contacts = entry["contacts"].toArray();
        std::vector<int> mine{a};
        if (b != 0)
            mine.push_back(b);
        std::sort(mine.begin(), mine.end());
        std::vector<int> theirs;
        for (const auto &c : contacts)
            theirs.push_back(c.toInt());
        return entry["kind"].toString().toStdString() == kind && theirs == mine;
    }
    // It is the hypothesis or one of its equivalents.
    bool NamedBy(const QJsonObject &hypothesis) const
    {
        if (Is(hypothesis))
            return true;
        const QJsonArray equivalents = hypothesis["equivalents"].toArray();
        return std::any_of(equivalents.begin(), equivalents.end(),
                           [this](const auto &e) { return Is(e.toObject()); });
    }
};

// What a run of every test of the demo board read on one board.
struct Outcome
{
    int exitCode = -1;
    int wrongBits = 0;
    QJsonArray diagnosis;
    int unexplained = 0;
    std::string console;
};

class QortoolDiagnosis : public qv::testing::DemoBoardCopy
{
protected:
    ToolRun Qortool(const QStringList &args, int timeoutMs = 60000)
    {
        return qv::testing::RunTool(QStringLiteral(QV_QORTOOL_PATH), args, timeoutMs);
    }

    Outcome RunAll(const std::string &faults)
    {
        const QString report = dir.filePath("run.json");
        QFile::remove(report);
        const ToolRun run = Qortool({"run", demo, "--all", "--board",
                                     Board("[Board]\nTactTime=0\n" + faults), "--report", report});
        Outcome outcome;
        outcome.exitCode = run.exitCode;
        outcome.console = run.out + run.err;
        const QJsonObject json = Report(report);
        outcome.diagnosis = json["diagnosis"].toArray();
        outcome.unexplained = json["unexplained"].toInt();
        for (const auto &test : json["tests"].toArray())
            for (const auto &word : test.toObject()["outputWords"].toArray()) {
                if (!word.toObject()["checked"].toBool())
                    continue;
                for (const auto &cycle : word.toObject()["cycles"].toArray()) {
                    const QJsonObject c = cycle.toObject();
                    if (c["result"].toString() == "wrong")
                        outcome.wrongBits += __builtin_popcount(
                            static_cast<unsigned>(c["reference"].toInt() ^ c["read"].toInt()));
                }
            }
        return outcome;
    }
};

TEST_F(QortoolDiagnosis, EachExampleFaultBoardGivesItsDiagnosisOnTheConsole)
{
    const struct
    {
        const char *board;
        const char *line;
    } boards[] = {
        {"stuck-contact.ini", "Диагноз: контакт 1 «D0» — постоянно 1, объясняет 2 ошибки"},
        {"stuck-low.ini", "Диагноз: контакт 4 «D3» — постоянно 0, объясняет 2 ошибки"},
        {"bridged-and.ini",
         "Диагноз: контакты 1 «D0» и 2 «D1» — замыкание (И), объясняет 4 ошибки"},
        {"bridged-or.ini",
         "Диагноз: контакты 5 «D4» и 6 «D5» — замыкание (ИЛИ), объясняет 4 ошибки"},
        {"swapped.ini",
         "Диагноз: контакты 3 «D2» и 4 «D3» — перепутаны местами, объясняет 8 ошибок"},
    };
    for (const auto &b : boards) {
        SCOPED_TRACE(b.board);
        const ToolRun run = Qortool({"run", demo, "--test", "1", "--board",
                                     QStringLiteral(QV_SOURCE_DIR "/sim/boards/") + b.board});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        // After the wrong words, before nothing else of the test.
        const auto at = run.out.find(std::string(b.line) + "\n");
        EXPECT_NE(at, std::string::npos) << run.out;
        EXPECT_LT(run.out.find("o1 (Чтение данных), цикл"), at) << run.out;
    }
    const ToolRun golden = Qortool({"run", demo, "--test", "1"});
    EXPECT_EQ(golden.exitCode, 0) << golden.out << golden.err;
    EXPECT_EQ(golden.out.find("Диагноз"), std::string::npos) << golden.out;
}

TEST_F(QortoolDiagnosis, TheReportsCarryTheDiagnosisAndTheIntermittentPasses)
{
    const QString report = dir.filePath("intermittent.json");
    const QString junit = dir.filePath("intermittent.xml");
    const ToolRun run =
        Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "6", "--keep-going",
                 "--board", QStringLiteral(QV_SOURCE_DIR "/sim/boards/intermittent.ini"),
                 "--report", report, "--junit", junit});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Диагноз: контакт 7 «D6» — постоянно 1, объясняет 2 ошибки, "
                           "нестабильно: 2 из 6 прогонов\n"),
              std::string::npos)
        << run.out;
    const QJsonObject json = Report(report);
    EXPECT_EQ(json["unexplained"].toInt(), 0);
    const QJsonArray diagnosis = json["diagnosis"].toArray();
    ASSERT_EQ(diagnosis.size(), 1);
    const QJsonObject h = diagnosis[0].toObject();
    EXPECT_EQ(h["kind"].toString(), "stuck-high");
    EXPECT_EQ(h["contacts"].toArray(), QJsonArray({7}));
    EXPECT_EQ(h["names"].toArray(), QJsonArray({"D6"}));
    EXPECT_EQ(h["explains"].toInt(), 2);
    EXPECT_EQ(h["passes"].toArray(), QJsonArray({3, 6}));
    EXPECT_TRUE(h["equivalents"].isArray());

    QFile xml(junit);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    const std::string text = xml.readAll().toStdString();
    EXPECT_NE(text.find("message=\"2 ошибки. Диагноз: контакт 7 «D6» — постоянно 1, объясняет 2 "
                        "ошибки, нестабильно: 2 из 6 прогонов\""),
              std::string::npos)
        << text;
}

// The contacts of the demo board's tests, and the ones read.
const std::vector<int> kDemoContacts{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                     11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
const char *const kKinds[] = {"stuck-low", "stuck-high", "bridge-and", "bridge-or", "swap"};

InjectedFault RandomFault(std::mt19937 &random, const std::set<int> &taken)
{
    std::uniform_int_distribution<std::size_t> kind(0, 4), contact(0, kDemoContacts.size() - 1);
    for (;;) {
        InjectedFault f{kKinds[kind(random)], kDemoContacts[contact(random)], 0};
        if (f.kind != "stuck-low" && f.kind != "stuck-high")
            f.b = kDemoContacts[contact(random)];
        if (f.a == f.b || taken.contains(f.a) || taken.contains(f.b))
            continue;
        return f;
    }
}

// The campaigns and the coverage check each take minutes: suites of their own.
class QortoolFaultCampaign : public QortoolDiagnosis
{
};
class QortoolFaultPairs : public QortoolDiagnosis
{
};
class QortoolCoverageCheck : public QortoolDiagnosis
{
};

// 200 single faults: the true fault leads the diagnosis, itself or as an
// equivalent, whenever it makes a bit go wrong; a golden board gives none.
TEST_F(QortoolFaultCampaign, EverySingleFaultSeenIsNamedFirst)
{
    const Outcome golden = RunAll("");
    EXPECT_EQ(golden.exitCode, 0) << golden.console;
    EXPECT_EQ(golden.diagnosis.size(), 0);

    std::mt19937 random(20261210);
    int singles = 0, seen = 0, found = 0;
    for (; singles < 200; ++singles) {
        const InjectedFault f = RandomFault(random, {});
        const Outcome o = RunAll(f.BoardLine());
        if (o.wrongBits == 0) {
            EXPECT_EQ(o.diagnosis.size(), 0) << f.Text();
            continue;
        }
        ++seen;
        const bool named = !o.diagnosis.empty() && f.NamedBy(o.diagnosis[0].toObject());
        found += named ? 1 : 0;
        EXPECT_TRUE(named) << f.Text() << "\n" << o.console;
    }
    std::cout << "single faults: " << singles << " injected, " << seen << " seen, " << found
              << " found\n";
    EXPECT_EQ(found, seen);
}

// 100 pairs of faults on contacts of their own: both among the first two
// hypotheses (or their equivalents), unless one alone makes no bit go wrong.
TEST_F(QortoolFaultPairs, FaultPairsSeenAreNamedAmongTheFirstTwo)
{
    std::mt19937 random(20261211);
    int pairs = 0, pairsSeen = 0, pairsFound = 0;
    for (; pairs < 100; ++pairs) {
        const InjectedFault f = RandomFault(random, {});
        const InjectedFault g = RandomFault(random, {f.a, f.b});
        // A repeated key would replace the first: one key, both values.
        const Outcome o =
            RunAll(f.Key() == g.Key() ? f.Key() + "=" + f.Value() + "," + g.Value() + "\n"
                                      : f.BoardLine() + g.BoardLine());
        if (o.wrongBits == 0)
            continue;
        ++pairsSeen;
        const auto among = [&o](const InjectedFault &x) {
            for (int i = 0; i < std::min<int>(2, static_cast<int>(o.diagnosis.size())); ++i)
                if (x.NamedBy(o.diagnosis[i].toObject()))
                    return true;
            return false;
        };
        // A fault that made no bit go wrong on its own cannot be asked for.
        const auto seenAlone = [this](const InjectedFault &x) {
            return RunAll(x.BoardLine()).wrongBits > 0;
        };
        const bool found = (among(f) || !seenAlone(f)) && (among(g) || !seenAlone(g));
        pairsFound += found ? 1 : 0;
        if (!found)
            std::cout << "pair not found: " << f.Text() << " + " << g.Text() << "\n" << o.console;
    }
    std::cout << "fault pairs: " << pairs << " injected, " << pairsSeen << " seen, " << pairsFound
              << " found\n";
    // The aim for pairs is 95 %; with the seed above 82 of 86 are found.
    // The demo's words read two complementary patterns and its data
    // contacts 9..16 float high, so a pair is sometimes explained as well
    // by one short (one fault before two) or by another pair: the test
    // cannot tell them apart.
    EXPECT_GE(pairsFound * 100, pairsSeen * 90);
}

// Every fault coverage calls detectable makes a bit go wrong on the
// simulated unit, and every other fault makes none.
TEST_F(QortoolCoverageCheck, CoverageAgreesWithTheFaultsInjectedIntoTheUnit)
{
    const ToolRun run = Qortool({"coverage", demo, "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(json["tests"].toArray(), QJsonArray({1, 2, 3}));
    int checked = 0;
    for (const auto &entry : json["contacts"].toArray()) {
        const QJsonObject c = entry.toObject();
        const int contact = c["contact"].toInt();
        std::vector<std::pair<InjectedFault, bool>> faults{
            {{"stuck-low", contact, 0}, c["stuckLow"].toBool()},
            {{"stuck-high", contact, 0}, c["stuckHigh"].toBool()}};
        for (const auto &b : c["bridges"].toArray()) {
            const int with = b.toObject()["with"].toInt();
            if (with < contact)
                continue;
            faults.push_back({{"bridge-and", contact, with}, b.toObject()["and"].toBool()});
            faults.push_back({{"bridge-or", contact, with}, b.toObject()["or"].toBool()});
        }
        for (const auto &[fault, detectable] : faults) {
            EXPECT_EQ(RunAll(fault.BoardLine()).wrongBits > 0, detectable) << fault.Text();
            ++checked;
        }
    }
    EXPECT_EQ(checked, json["faults"].toInt());
    const double percent = json["percent"].toInt();
    std::cout << "coverage of the demo board: " << percent << " % of " << checked << " faults\n";
}

TEST_F(QortoolDiagnosis, CoverageTableNamesTheTotalAndTheBlindContacts)
{
    const ToolRun run = Qortool({"coverage", demo, "--test", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Покрытие неисправностей, тест №1:\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("контакт 1 «D0» (чтение, управление): постоянно 0 — да, постоянно 1 — "
                           "да; замыкание с 2 «D1»: И — да, ИЛИ — да\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Итого: обнаруживается "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Не видны ни одному тесту: контакт 9 «A0», "), std::string::npos)
        << run.out;
    EXPECT_EQ(Qortool({"coverage", demo, "--format", "xml"}).exitCode, 2);
    EXPECT_EQ(Qortool({"coverage", demo, "--test", "7"}).exitCode, 1);
    EXPECT_EQ(Qortool({"coverage", dir.filePath("absent.QOR")}).exitCode, 1);
}

} // namespace
