#include "results/recordbuilder.h"

#include "execution/run/decodedpass.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "model/export/wordcycles.h"
#include "model/test/stest.h"
#include "results/recorder.h"
#include "results/uid.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>
#include <algorithm>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace qv::results {

namespace {

std::string KindName(RunVerdict::Kind kind)
{
    switch (kind) {
    case RunVerdict::Passed:
        return "passed";
    case RunVerdict::Errors:
        return "errors";
    case RunVerdict::Interrupted:
        return "interrupted";
    case RunVerdict::Failed:
        return "failed";
    case RunVerdict::NotRun:
    case RunVerdict::Cancelled:
        break;
    }
    return "not-run";
}

TestResult TestOf(const TQuorvik &doc, const RunVerdict &verdict,
                  const RunVerdict::TestRecord &record, const STest &test)
{
    TestResult result;
    result.number = record.test + 1;
    result.name = test.Name;
    const auto index = static_cast<std::size_t>(record.test);
    result.errors = index < doc.ErrorCounts().size() ? doc.ErrorCounts()[index] : 0;
    result.verdict = result.errors > 0 ? "errors" : "passed";
    // The count includes every wrong value of a counted word: a test
    // without errors has none to look for (a golden board's every pass
    // comes through here, on the window's thread).
    const std::string_view words = result.errors > 0 ? record.oWords : std::string_view();
    for (const char c : words) {
        const int id = static_cast<unsigned char>(c);
        const bool checked = record.unchecked.find(c) == std::string::npos;
        const SWord *word = test.OWords.Find(id);
        for (const WordCycle &cycle : WordCycles(test, id, checked))
            if (cycle.Wrong())
                result.wrongWords.push_back(WrongWord{id, word ? word->Name : std::string(),
                                                      cycle.cycle + 1, cycle.reference,
                                                      cycle.read});
    }
    for (const ContactErrors &contact : verdict.statistics.Contacts())
        if (contact.test == record.test)
            result.contacts.push_back(
                FailingContact{contact.contact, contact.name, contact.word, contact.bit});
    if (verdict.failingPasses > 0 && result.errors > 0) {
        const diagnosis::Diagnosis part = DiagnosisOfTest(verdict.diagnosis, record.test);
        result.diagnosis = diagnosis::DiagnosisJson(part, doc.Cnt().Names);
        result.unexplained = static_cast<int>(part.unexplained.size());
    }
    return result;
}

} // namespace

diagnosis::Diagnosis DiagnosisOfTest(const diagnosis::Diagnosis &run, int test)
{
    const auto other = [test](const diagnosis::WrongBit &bit) { return bit.test != test; };
    diagnosis::Diagnosis part;
    part.passes = run.passes;
    for (const diagnosis::Hypothesis &h : run.hypotheses) {
        diagnosis::Hypothesis mine = h;
        std::erase_if(mine.bits, other);
        if (!mine.bits.empty())
            part.hypotheses.push_back(std::move(mine));
    }
    std::remove_copy_if(run.unexplained.begin(), run.unexplained.end(),
                        std::back_inserter(part.unexplained), other);
    return part;
}

std::string HostName()
{
    return QSysInfo::machineHostName().toStdString();
}

std::string SystemUser()
{
    if (const passwd *entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name)
        return entry->pw_name;
    const QByteArray user = qgetenv("USER");
    return user.toStdString();
}

std::string FileSha256(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex().toStdString();
}

std::string UnitType(bool dosUnit)
{
    return dosUnit ? "dos" : "arm";
}

namespace {

// What a record of the run takes from the bench and the document, besides
// the verdict and the tests.
RunRecord HeadOf(const TQuorvik &doc, const RunContext &context)
{
    RunRecord record;
    record.uid = NewUid();
    record.host = context.host;
    record.operatorName = context.operatorName;
    record.serial = context.serial;
    record.filePath = context.filePath;
    record.fileSha256 = context.fileSha256;
    record.unitAddress = context.unitAddress;
    record.unitType = context.unitType;
    record.unitBuild = context.unitBuild;
    record.allTests = doc.CurrentTest() < 0;
    record.continuous = doc.SolidTest();
    record.debug = doc.DebugMode();
    return record;
}

} // namespace

RunRecord RecordOf(const TQuorvik &doc, const RunVerdict &verdict, const RunContext &context)
{
    RunRecord record = HeadOf(doc, context);
    record.passes = verdict.passes;
    record.verdict = KindName(verdict.kind);
    record.verdictText = verdict.text;
    for (const RunVerdict::TestRecord &tested : verdict.tests)
        if (const STest *test = doc.Test(tested.test))
            record.tests.push_back(TestOf(doc, verdict, tested, *test));
    return record;
}

RunRecording::RunRecording(ResultsRecorder &recorder, const TQuorvik &doc, RunContext context,
                           std::function<std::string()> unitBuild, std::function<bool()> dosUnit)
    : m_recorder(recorder)
    , m_doc(doc)
    , m_context(std::move(context))
    , m_unitBuild(std::move(unitBuild))
    , m_dosUnit(std::move(dosUnit))
    , m_session(NewUid())
    , m_started(std::chrono::system_clock::now())
    , m_lastEnded(m_started)
{}

void RunRecording::RefreshUnit()
{
    std::string type = UnitType(!m_dosUnit || m_dosUnit());
    std::string build = m_unitBuild ? m_unitBuild() : m_context.unitBuild;
    if (m_head && type == m_context.unitType && build == m_context.unitBuild)
        return;
    m_context.unitType = std::move(type);
    m_context.unitBuild = std::move(build);
    RunRecord head = HeadOf(m_doc, m_context);
    head.uid.clear();
    head.session = m_session;
    m_head = std::make_shared<const RunRecord>(std::move(head));
}

RunRecording::PassTests::PassTests(std::vector<TestResult> tests,
                                   std::vector<std::vector<std::string>> pieces)
    : m_tests(std::move(tests))
    , m_diagnosisPieces(std::move(pieces))
    , m_stored(m_tests)
{
    for (std::size_t t = 0; t < m_stored.size(); ++t) {
        const std::vector<std::string> &pieces = m_diagnosisPieces[t];
        std::string &text = m_stored[t].diagnosis;
        if (text.find(kPassList) != std::string::npos)
            m_shareable = false;
        for (std::size_t p = 0; p < pieces.size(); ++p) {
            if (pieces[p].find(kPassList) != std::string::npos)
                m_shareable = false;
            text.append(p ? kPassMark : std::string_view()).append(pieces[p]);
        }
    }
}

std::vector<TestResult> RunRecording::PassTests::For(int pass) const
{
    std::vector<TestResult> made = m_tests;
    const std::string passes = PassListOf(pass);
    for (std::size_t t = 0; t < made.size(); ++t) {
        const std::vector<std::string> &pieces = m_diagnosisPieces[t];
        std::string &text = made[t].diagnosis;
        for (std::size_t p = 0; p < pieces.size(); ++p)
            text.append(p ? passes : std::string()).append(pieces[p]);
    }
    return made;
}

std::shared_ptr<const RunRecording::PassTests>
RunRecording::MakeTests(const DecodedPass &pass) const
{
    RunVerdict made = pass.Verdict();
    if (made.failingPasses > 0 && made.diagnosis.Empty()) {
        made.diagnosis = DiagnoseVerdict(m_doc, made);
        // The pass's own number, as the continuous run counts it.
        for (diagnosis::Hypothesis &h : made.diagnosis.hypotheses)
            h.passes = {pass.Number()};
    }
    std::vector<TestResult> tests = RecordOf(m_doc, made, m_context).tests;
    std::vector<std::vector<std::string>> allPieces;
    // Each diagnosis is cut where it names the pass, to name another one.
    const std::string passes = PassListOf(pass.Number());
    for (TestResult &test : tests) {
        std::vector<std::string> &pieces = allPieces.emplace_back();
        if (test.diagnosis.find(passes) == std::string::npos)
            continue;
        std::string_view rest = test.diagnosis;
        for (auto at = rest.find(passes); at != std::string_view::npos; at = rest.find(passes)) {
            pieces.emplace_back(rest.substr(0, at));
            rest.remove_prefix(at + passes.size());
        }
        pieces.emplace_back(rest);
        test.diagnosis.clear();
    }
    return std::make_shared<const PassTests>(std::move(tests), std::move(allPieces));
}

std::shared_ptr<const RunRecording::PassTests> RunRecording::TestsOf(const DecodedPass &pass)
{
    const std::vector<std::int32_t> &counts = m_doc.ErrorCounts();
    if (m_last && m_key.failedTests == pass.FailedTests() && m_key.reads == pass.WrongReads() &&
        m_key.errorCounts == counts)
        return m_last;
    m_key.failedTests = pass.FailedTests();
    m_key.reads = pass.WrongReads();
    m_key.errorCounts = counts;
    if (const auto known = m_made.find(m_key); known != m_made.end())
        return m_last = known->second;
    // A board that reads differently every pass must not grow the memo
    // without end.
    constexpr std::size_t kMemo = 64;
    if (m_made.size() >= kMemo)
        m_made.clear();
    m_last = MakeTests(pass);
    m_made.emplace(m_key, m_last);
    return m_last;
}

void RunRecording::PassDecoded(const DecodedPass &pass)
{
    RefreshUnit();
    const auto ended = std::chrono::system_clock::now();
    // The run waits for what is done here: the record is made on the
    // writer's thread from what the passes share.
    m_recorder.Submit(
        {},
        [head = m_head, tests = TestsOf(pass), number = pass.Number(),
         failed = !pass.FailedTests().empty(), started = m_lastEnded, ended](RunRecord &record) {
            record = *head;
            record.uid = NewUid();
            record.pass = number;
            record.passes = number;
            record.verdict = KindName(failed ? RunVerdict::Errors : RunVerdict::Passed);
            record.started = IsoUtc(started);
            record.ended = IsoUtc(ended);
            // The database finds the failures of shared tests once for all
            // their passes; the spool makes them whole.
            if (tests->Shareable() && number > 0)
                record.sharedTests = tests;
            else
                record.tests = tests->For(number);
        },
        ResultsRecorder::Urgency::MoreFollow);
    m_lastEnded = ended;
    ++m_passes;
}

void RunRecording::Finish(const RunVerdict &verdict)
{
    // The passes of a continuous run are in already, some waiting for the
    // passes after them: there are none now. A run cancelled on the start
    // page never ran.
    if (m_passes > 0)
        m_recorder.Flush();
    if (verdict.kind == RunVerdict::Cancelled || m_passes > 0)
        return;
    RefreshUnit();
    RunRecord record = RecordOf(m_doc, verdict, m_context);
    record.session = m_session;
    record.started = IsoUtc(m_started);
    record.ended = IsoUtcNow();
    m_recorder.Submit(std::move(record));
}

} // namespace qv::results
