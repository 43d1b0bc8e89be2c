#include "model/diagnosis/coverage.h"
#include "model/diagnosis/diagnosis.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"

#include <gtest/gtest.h>

namespace qv::diagnosis {
namespace {

// A 4-bit word on contacts 1..4 read in four cycles (wire levels 0101,
// 1010, 0011, 1100); contact 5 is driven 0, 1, 0, 1 around the reads;
// every other contact floats high.
constexpr std::uint16_t kExpected[4] = {0b0101, 0b1010, 0b0011, 0b1100};

std::vector<ReadObservation> Reads(std::array<std::uint16_t, 4> read)
{
    std::vector<ReadObservation> reads;
    for (int cycle = 0; cycle < 4; ++cycle) {
        ReadObservation r;
        r.word = 1;
        r.cycle = cycle;
        r.tact = 3;
        r.width = 4;
        r.contacts = {1, 2, 3, 4};
        r.expected = kExpected[cycle];
        r.read = read[static_cast<std::size_t>(cycle)];
        r.levels.set();
        r.levels[0] = false;
        for (int bit = 0; bit < 4; ++bit)
            r.levels[static_cast<std::size_t>(bit + 1)] = (r.expected >> bit) & 1u;
        r.levels[5] = cycle % 2 == 1;
        reads.push_back(r);
    }
    return reads;
}

const std::vector<int> kPartners{1, 2, 3, 4, 5};
const std::vector<std::string> kNames{"D0", "D1", "D2", "D3", "E"};

std::vector<Fault> Chosen(const Diagnosis &d)
{
    std::vector<Fault> faults;
    for (const Hypothesis &h : d.hypotheses)
        faults.push_back(h.fault);
    return faults;
}

TEST(Diagnosis, AGoldenBoardGivesAnEmptyDiagnosis)
{
    const Diagnosis d = Diagnose(Reads({0b0101, 0b1010, 0b0011, 0b1100}), kPartners);
    EXPECT_TRUE(d.Empty());
    EXPECT_TRUE(DiagnosisLines(d, kNames).empty());
    EXPECT_EQ(DiagnosisJson(d, kNames), "[]");
}

// Each row: what the word read in the four cycles, and the faults the
// diagnosis must name (with their equivalents) and how many bits each explains.
struct Case
{
    const char *what;
    std::array<std::uint16_t, 4> read;
    std::vector<Fault> faults;
    std::vector<std::vector<Fault>> equivalents;
    std::vector<int> explains;
};

TEST(Diagnosis, NamesTheFaultsThatExplainTheWrongBitsAndNothingElse)
{
    const std::vector<Case> cases{
        {"stuck high; an OR short to contact 5 reads the same",
         {0b0101, 0b1011, 0b0011, 0b1101},
         {StuckFault(1, true)},
         {{PairFault(FaultKind::BridgeOr, 1, 5)}},
         {2}},
        {"stuck low", {0b0101, 0b0010, 0b0011, 0b0100}, {StuckFault(4, false)}, {{}}, {2}},
        {"an AND short of two bits of the word",
         {0b0100, 0b1000, 0b0011, 0b1100},
         {PairFault(FaultKind::BridgeAnd, 1, 2)},
         {{}},
         {2}},
        {"crossed wires of two bits",
         {0b0110, 0b1001, 0b0011, 0b1100},
         {PairFault(FaultKind::Swap, 1, 2)},
         {{}},
         {4}},
        {"two faults on different contacts: one before two, each with its bits",
         {0b0101, 0b0011, 0b0011, 0b0101},
         {StuckFault(4, false), StuckFault(1, true)},
         {{}, {PairFault(FaultKind::BridgeOr, 1, 5)}},
         {2, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Diagnosis d = Diagnose(Reads(c.read), kPartners);
        EXPECT_EQ(Chosen(d), c.faults);
        ASSERT_EQ(d.hypotheses.size(), c.faults.size());
        for (std::size_t i = 0; i < c.faults.size(); ++i) {
            EXPECT_EQ(d.hypotheses[i].equivalents, c.equivalents[i]);
            EXPECT_EQ(d.hypotheses[i].Explains(), c.explains[i]);
        }
        EXPECT_TRUE(d.unexplained.empty());
    }
}

TEST(Diagnosis, AWrongBitNoSingleFaultCanGiveIsReportedAsUnexplained)
{
    // Contact 1 stuck high, and bit 1 reads high once (cycle 1) but not
    // under the same levels in cycle 4: nothing on contact 2 gives that.
    const Diagnosis d = Diagnose(Reads({0b0111, 0b1011, 0b0011, 0b1101}), kPartners);
    EXPECT_EQ(Chosen(d), (std::vector<Fault>{StuckFault(1, true)}));
    ASSERT_EQ(d.unexplained.size(), 1u);
    EXPECT_EQ(d.unexplained[0], (WrongBit{0, 1, 0, 3, 1, 2, true}));
    EXPECT_EQ(DiagnosisLines(d, kNames).back(), "Диагноз: 1 ошибка не объяснена");
}

TEST(Diagnosis, AFaultOfSomePassesIsIntermittentWithItsPasses)
{
    // The last of 10 passes read right; passes 3, 6 and 9 read contact 1 high.
    RunPasses run;
    run.passes = 10;
    run.failing.push_back({{WrongRead{0, 1, 1, 0b1011}, WrongRead{0, 1, 3, 0b1101}}, {3, 6, 9}});
    const Diagnosis d = Diagnose(Reads({0b0101, 0b1010, 0b0011, 0b1100}), kPartners, run);
    ASSERT_EQ(Chosen(d), (std::vector<Fault>{StuckFault(1, true)}));
    EXPECT_EQ(d.hypotheses[0].passes, (std::vector<int>{3, 6, 9}));
    EXPECT_TRUE(d.Intermittent(d.hypotheses[0]));
    EXPECT_EQ(DiagnosisLines(d, kNames),
              (std::vector<std::string>{
                  "Диагноз: контакт 1 «D0» — постоянно 1, объясняет 2 ошибки, нестабильно: 3 из "
                  "10 прогонов",
                  "  неотличимо от: контакты 1 «D0» и 5 «E» — замыкание (ИЛИ)"}));
    EXPECT_EQ(DiagnosisLinesOfTest(d, 0, kNames).size(), 1u);
    EXPECT_TRUE(DiagnosisLinesOfTest(d, 1, kNames).empty());
    // A fault of every pass is not.
    run.failing[0].passes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const Diagnosis every = Diagnose(Reads({0b0101, 0b1011, 0b0011, 0b1101}), kPartners, run);
    EXPECT_FALSE(every.Intermittent(every.hypotheses.at(0)));
}

TEST(Diagnosis, InverseWordsAreJudgedOnTheWire)
{
    // The same word in inverse code: the values kept are the complement.
    std::vector<ReadObservation> reads = Reads({0b0101, 0b1011, 0b0011, 0b1101});
    RunPasses run{1, {}};
    for (ReadObservation &r : reads)
        r.mask = 0xF;
    // A failing pass keeps the complement of the wire value 1011 (cycle 2).
    run.failing.push_back({{WrongRead{0, 1, 1, 0b0100}}, {1}});
    const Diagnosis d = Diagnose(reads, kPartners, run);
    ASSERT_EQ(Chosen(d), (std::vector<Fault>{StuckFault(1, true)}));
    EXPECT_EQ(d.hypotheses[0].passes, (std::vector<int>{1}));
}

TEST(DiagnosisText, TheJsonFormNamesKindContactsNamesPassesAndEquivalents)
{
    RunPasses run{1, {{{WrongRead{0, 1, 1, 0b1011}, WrongRead{0, 1, 3, 0b1101}}, {1}}}};
    const Diagnosis d = Diagnose(Reads({0b0101, 0b1011, 0b0011, 0b1101}), kPartners, run);
    EXPECT_EQ(DiagnosisJson(d, kNames),
              "[\n    {\"kind\": \"stuck-high\", \"contacts\": [1], \"names\": [\"D0\"], "
              "\"explains\": 2, \"passes\": [1], \"equivalents\": [{\"kind\": \"bridge-or\", "
              "\"contacts\": [1, 5]}]}\n  ]");
    EXPECT_EQ(FaultNote(d.hypotheses[0].fault), "обрыв или замыкание на питание");
    EXPECT_EQ(FaultText(PairFault(FaultKind::Swap, 9, 2), kNames),
              "контакты 2 «D1» и 9 — перепутаны местами");
    EXPECT_EQ(JsonText("a\"b\\\n"), "\"a\\\"b\\\\\\u000a\"");
    for (const FaultKind kind : {FaultKind::StuckLow, FaultKind::StuckHigh, FaultKind::BridgeAnd,
                                 FaultKind::BridgeOr, FaultKind::Swap})
        EXPECT_EQ(KindFromName(KindName(kind)), kind);
}

// A file with bus 1 on contacts 1..4 (read by o1) and bus 2 on contacts
// 5..6 (driven by i1), a control line on contact 7; tacts "-i-o-o".
struct SmallFile
{
    SQor file;
    STest *test = nullptr;

    SmallFile()
    {
        file.Tyres.Add(std::string("\x01\x02\x03\x04", 4));
        file.Tyres.Add(std::string("\x05\x06", 2));
        file.NTest = 1;
        file.Tests[0] = std::make_unique<STest>();
        test = file.Tests[0].get();
        test->Cycles = 2;
        test->StartTact = 1;
        test->Tacts.D1 = "-i-o-o";
        test->Tacts.D2 = "010101";
        test->Tacts.AddLine();
        test->Tacts.SetLine(0, TLine{6, "L", "__----"});
        test->IWords.Add(1);
        SWord *in = test->IWords.Find(1);
        in->Name = "in";
        in->Tyre = 1;
        in->Code = 1;
        in->Data = in->Run = "1/2";
        test->OWords.Add(1);
        SWord *out = test->OWords.Find(1);
        out->Name = "out";
        out->Tyre = 0;
        out->Code = 0; // inverse: the wire carries the complement
        out->Data = "5/10";
        out->Run = "5/10";
    }
};

TEST(DiagnosisObservations, TheLevelsAroundAReadFollowTheTactsOfTheTest)
{
    const SmallFile f;
    const auto reads = ObserveTest(f.file, *f.test, 0, "\x01", false);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].tact, 4);
    EXPECT_EQ(reads[0].mask, 0xF);
    EXPECT_EQ(reads[0].expected, 0b1010); // ~5 on four bits
    EXPECT_EQ(reads[0].read, std::optional<std::uint16_t>(0b1010));
    // Contacts 1..4 at the expected wire bits, 5..6 at i1's 1 (01), the
    // line on contact 7 high since tact 3, contact 8 floating high.
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(reads[0].levels[static_cast<std::size_t>(c)],
                  (std::array<bool, 8>{false, true, false, true, true, false, true, true}[c - 1]))
            << c;
    EXPECT_EQ(reads[1].expected, 0b0101);
    EXPECT_TRUE(reads[1].levels[6]); // i1 drives 2 (10) in cycle 2
    EXPECT_FALSE(reads[1].levels[5]);
    EXPECT_EQ(ContactsOfTest(f.file, *f.test), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(ReadContactsOfTest(f.file, *f.test), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(OutputWordsRead(*f.test), "\x01");
}

TEST(DiagnosisObservations, AWordNotYetReadIsLeftOutOfTheWrongBits)
{
    SmallFile f;
    f.test->OWords.Find(1)->Run = std::string("4/") + '\xFF';
    const auto reads = ObserveTest(f.file, *f.test, 0, "\x01", false);
    EXPECT_FALSE(reads.at(1).read);
    const Diagnosis d = Diagnose(reads, ContactsOfTest(f.file, *f.test));
    ASSERT_EQ(d.hypotheses.size(), 1u); // bit 0 read 0 (wire 1) where 1 (wire 0) was due
    EXPECT_EQ(d.hypotheses[0].Explains(), 1);
    EXPECT_EQ(d.hypotheses[0].bits[0].contact, 1);
    EXPECT_TRUE(d.hypotheses[0].bits[0].level);
}

TEST(Coverage, CountsWhatTheReferencesCanShowPerContact)
{
    const SmallFile f;
    const Coverage c = CoverageOf(f.file, {0, 5});
    EXPECT_EQ(c.tests, (std::vector<int>{0}));
    ASSERT_EQ(c.contacts.size(), 7u);
    // Contact 1 reads 0 then 1 on the wire: both stuck faults show.
    EXPECT_TRUE(c.contacts[0].read);
    EXPECT_TRUE(c.contacts[0].stuckLow);
    EXPECT_TRUE(c.contacts[0].stuckHigh);
    // Contacts 5..7 are only driven: nothing the test reads shows them.
    EXPECT_TRUE(c.contacts[4].driven && !c.contacts[4].read);
    EXPECT_TRUE(c.contacts[4].Blind());
    EXPECT_EQ(c.BlindContacts(), (std::vector<int>{5, 6, 7}));
    // Neighbours 1-2 read 0/1 and 1/0: both shorts show.
    ASSERT_EQ(c.contacts[0].bridges.size(), 1u);
    EXPECT_EQ(c.contacts[0].bridges[0].with, 2);
    EXPECT_TRUE(c.contacts[0].bridges[0].bridgeAnd && c.contacts[0].bridges[0].bridgeOr);
    // 7 contacts x 2 stuck faults, shorts 1-2, 2-3, 3-4, 5-6 x 2 kinds.
    EXPECT_EQ(c.faults, 14 + 8);
    EXPECT_EQ(c.detected, static_cast<int>(c.Faults(true).size()));
    EXPECT_EQ(c.faults - c.detected, static_cast<int>(c.Faults(false).size()));
    EXPECT_EQ(c.Percent(), c.detected * 100 / c.faults);
}

} // namespace
} // namespace qv::diagnosis
