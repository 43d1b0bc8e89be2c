#include "results/recordbuilder.h"

#include "execution/run/decodedpass.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "model/export/wordcycles.h"
#include "model/test/stest.h"
#include "results/recorder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>
#include <QUuid>
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

std::string NewUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
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

RunRecord RecordOf(const TQuorvik &doc, const RunVerdict &verdict, const RunContext &context)
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
    , m_started(IsoUtcNow())
    , m_lastEnded(m_started)
{}

void RunRecording::RefreshUnit()
{
    m_context.unitType = UnitType(!m_dosUnit || m_dosUnit());
    if (m_unitBuild)
        m_context.unitBuild = m_unitBuild();
}

diagnosis::Diagnosis RunRecording::DiagnosePass(const RunVerdict &pass)
{
    // The pass is counted alone (as pass 1) in its statistics; its one
    // failing pattern is the key.
    const diagnosis::RunPasses failing = pass.statistics.FailingPasses();
    if (failing.failing.size() != 1)
        return DiagnoseVerdict(m_doc, pass);
    const auto &reads = failing.failing.front().reads;
    if (const auto known = m_diagnosed.find(reads); known != m_diagnosed.end())
        return known->second;
    // A board that reads differently every pass must not grow the memo
    // without end.
    constexpr std::size_t kMemo = 64;
    if (m_diagnosed.size() >= kMemo)
        m_diagnosed.clear();
    return m_diagnosed.emplace(reads, DiagnoseVerdict(m_doc, pass)).first->second;
}

void RunRecording::PassDecoded(const DecodedPass &decoded)
{
    const RunVerdict &pass = decoded.Verdict();
    RefreshUnit();
    RunVerdict diagnosed;
    const RunVerdict *made = &pass;
    if (pass.failingPasses > 0 && pass.diagnosis.Empty()) {
        diagnosed = pass;
        diagnosed.diagnosis = DiagnosePass(pass);
        // The pass's own number, as the continuous run counts it.
        for (diagnosis::Hypothesis &h : diagnosed.diagnosis.hypotheses)
            h.passes = {pass.passes};
        made = &diagnosed;
    }
    RunRecord record = RecordOf(m_doc, *made, m_context);
    record.session = m_session;
    record.pass = pass.passes;
    record.started = m_lastEnded;
    record.ended = IsoUtcNow();
    m_lastEnded = record.ended;
    ++m_passes;
    m_recorder.Submit(std::move(record));
}

void RunRecording::Finish(const RunVerdict &verdict)
{
    // The passes of a continuous run are in already; a run cancelled on the
    // start page never ran.
    if (verdict.kind == RunVerdict::Cancelled || m_passes > 0)
        return;
    RefreshUnit();
    RunRecord record = RecordOf(m_doc, verdict, m_context);
    record.session = m_session;
    record.started = m_started;
    record.ended = IsoUtcNow();
    m_recorder.Submit(std::move(record));
}

} // namespace qv::results
