#include "runreport.h"

#include "infra/jsontext.h"
#include "infra/plural.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <cstdio>
#include <ctime>
#include <ostream>
#include <sstream>

namespace qortool {

namespace {

std::string KindName(qv::RunVerdict::Kind kind)
{
    switch (kind) {
    case qv::RunVerdict::NotRun:
        return "not-run";
    case qv::RunVerdict::Cancelled:
        return "cancelled";
    case qv::RunVerdict::Failed:
        return "failed";
    case qv::RunVerdict::Interrupted:
        return "interrupted";
    case qv::RunVerdict::Passed:
        return "passed";
    case qv::RunVerdict::Errors:
        return "errors";
    }
    return "unknown";
}

std::string IsoTime(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string JsonNumber(const std::optional<std::int32_t> &value)
{
    return value ? std::to_string(*value) : "null";
}

std::string WordLabel(const qv::STest &test, int id)
{
    const qv::SWord *word = test.OWords.Find(id);
    std::string label = "o";
    label += std::to_string(id);
    if (word != nullptr && !word->Name.empty()) {
        label += " (";
        label += word->Name;
        label += ')';
    }
    return label;
}

} // namespace

std::int32_t ErrorsOf(const qv::TQuorvik &doc, int test)
{
    return static_cast<std::size_t>(test) < doc.ErrorCounts().size()
               ? doc.ErrorCounts()[static_cast<std::size_t>(test)]
               : 0;
}

std::vector<std::string> WrongWordLines(const qv::STest &test,
                                        const qv::RunVerdict::TestRecord &record)
{
    std::vector<std::string> lines;
    for (const char c : record.oWords) {
        const int id = static_cast<unsigned char>(c);
        const bool checked = record.unchecked.find(c) == std::string::npos;
        for (const qv::WordCycle &cycle : qv::WordCycles(test, id, checked)) {
            if (cycle.Wrong())
                lines.push_back(WordLabel(test, id) + ", цикл " + std::to_string(cycle.cycle + 1) +
                                ": эталон " + JsonNumber(cycle.reference) + ", прочитано " +
                                JsonNumber(cycle.read));
        }
    }
    return lines;
}

namespace {

std::string TallyText(const qv::ErrorTally &tally, int passes)
{
    std::string text = std::to_string(tally.failingPasses) + " из " + std::to_string(passes) +
                       " (первый " + std::to_string(tally.firstPass) + ", последний " +
                       std::to_string(tally.lastPass) + "), цикл " + std::to_string(tally.cycle);
    if (tally.tact > 0)
        text += ", такт " + std::to_string(tally.tact);
    return text + (tally.failingPasses < passes ? " - не в каждом прогоне" : " - в каждом прогоне");
}

// Where the passes of a continuous run went wrong: per output word, then
// per contact of its bus.
void PrintStatistics(std::ostream &out, const qv::TQuorvik &doc,
                     const qv::ErrorStatistics &statistics)
{
    const int passes = statistics.Passes();
    out << "Статистика ошибок по прогонам (ошибочных из " << passes << "):\n";
    for (const qv::WordErrors &word : statistics.Words()) {
        const qv::STest *test = doc.Test(word.test);
        if (test == nullptr)
            continue;
        out << "  Тест №" << word.test + 1 << ", " << WordLabel(*test, word.word) << ": "
            << TallyText(word.tally, passes) << "\n";
        for (const qv::ContactErrors &contact : statistics.Contacts()) {
            if (contact.test != word.test || contact.word != word.word)
                continue;
            out << "    контакт " << contact.contact;
            if (!contact.name.empty())
                out << " (" << contact.name << ")";
            out << ", бит " << contact.bit << ": " << TallyText(contact.tally, passes) << "\n";
        }
    }
}

std::string TallyJson(const qv::ErrorTally &tally, int passes)
{
    return "\"failingPasses\": " + std::to_string(tally.failingPasses) +
           ", \"firstPass\": " + std::to_string(tally.firstPass) +
           ", \"lastPass\": " + std::to_string(tally.lastPass) +
           ", \"cycle\": " + std::to_string(tally.cycle) +
           ", \"tact\": " + std::to_string(tally.tact) +
           ", \"everyPass\": " + (tally.failingPasses >= passes ? "true" : "false");
}

std::string StatisticsJson(const qv::ErrorStatistics &statistics)
{
    const int passes = statistics.Passes();
    std::string json = "{\"passes\": " + std::to_string(passes) + ", \"words\": [";
    bool first = true;
    for (const qv::WordErrors &word : statistics.Words()) {
        json += first ? "\n" : ",\n";
        first = false;
        json += "    {\"test\": " + std::to_string(word.test + 1) +
                ", \"id\": " + std::to_string(word.word) + ", \"name\": " + JsonString(word.name) +
                ", " + TallyJson(word.tally, passes) + "}";
    }
    json += first ? "], \"contacts\": [" : "\n  ], \"contacts\": [";
    first = true;
    for (const qv::ContactErrors &contact : statistics.Contacts()) {
        json += first ? "\n" : ",\n";
        first = false;
        json += "    {\"test\": " + std::to_string(contact.test + 1) +
                ", \"contact\": " + std::to_string(contact.contact) +
                ", \"name\": " + JsonString(contact.name) +
                ", \"word\": " + std::to_string(contact.word) +
                ", \"bit\": " + std::to_string(contact.bit) + ", " +
                TallyJson(contact.tally, passes) + "}";
    }
    return json + (first ? "]}" : "\n  ]}");
}

} // namespace

void PrintRunSummary(std::ostream &out, const qv::TQuorvik &doc, const qv::RunVerdict &verdict)
{
    if (doc.SolidTest() && verdict.passes > 0)
        out << qv::Counted(verdict.passes, qv::kPassNoun)
            << ", из них с ошибками: " << verdict.failingPasses << "\n";
    for (const auto &record : verdict.tests) {
        const qv::STest *test = doc.Test(record.test);
        if (test == nullptr)
            continue;
        out << "Тест №" << record.test + 1;
        if (!test->Name.empty())
            out << " \"" << test->Name << "\"";
        out << ": " << qv::Counted(ErrorsOf(doc, record.test), qv::kErrorNoun) << "\n";
        for (const std::string &line : WrongWordLines(*test, record))
            out << "  " << line << "\n";
    }
    for (const std::string &line :
         qv::diagnosis::DiagnosisLines(verdict.diagnosis, doc.Cnt().Names))
        out << line << "\n";
    if (doc.SolidTest() && !verdict.statistics.Empty())
        PrintStatistics(out, doc, verdict.statistics);
}

std::string JsonString(std::string_view text)
{
    return qv::JsonQuoted(text, qv::JsonControls::Short);
}

std::string RunReportJson(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                          const RunReportInfo &info)
{
    std::ostringstream out;
    const double seconds = std::chrono::duration<double>(info.finished - info.started).count();
    out << "{\n  \"version\": " << kRunReportVersion << ",\n";
    out << "  \"file\": " << JsonString(info.file) << ",\n";
    out << "  \"unit\": {\"address\": " << JsonString(info.address)
        << ", \"build\": " << JsonString(info.buildInfo) << "},\n";
    out << "  \"started\": " << JsonString(IsoTime(info.started)) << ",\n";
    out << "  \"seconds\": " << seconds << ",\n";
    out << "  \"mode\": {\"allTests\": " << (doc.CurrentTest() < 0 ? "true" : "false")
        << ", \"continuous\": " << (doc.SolidTest() ? "true" : "false")
        << ", \"debug\": " << (doc.DebugMode() ? "true" : "false") << "},\n";
    out << "  \"passes\": " << verdict.passes << ",\n";
    out << "  \"failingPasses\": " << verdict.failingPasses << ",\n";
    out << "  \"verdict\": {\"kind\": " << JsonString(KindName(verdict.kind))
        << ", \"text\": " << JsonString(verdict.text) << "},\n";
    out << "  \"statistics\": " << StatisticsJson(verdict.statistics) << ",\n";
    out << "  \"diagnosis\": " << qv::diagnosis::DiagnosisJson(verdict.diagnosis, doc.Cnt().Names)
        << ",\n";
    out << "  \"unexplained\": " << verdict.diagnosis.unexplained.size() << ",\n";
    out << "  \"tests\": [";
    bool firstTest = true;
    for (const auto &record : verdict.tests) {
        const qv::STest *test = doc.Test(record.test);
        if (test == nullptr)
            continue;
        out << (firstTest ? "\n" : ",\n");
        firstTest = false;
        out << "    {\"number\": " << record.test + 1 << ", \"name\": " << JsonString(test->Name)
            << ", \"errors\": " << ErrorsOf(doc, record.test) << ", \"cycles\": " << test->Cycles
            << ", \"reachedCycle\": " << test->RunCounter1
            << ", \"reachedTact\": " << test->RunCounter2 + 1 << ",\n     \"outputWords\": [";
        bool firstWord = true;
        for (const char c : record.oWords) {
            const int id = static_cast<unsigned char>(c);
            const qv::SWord *word = test->OWords.Find(id);
            const bool checked = record.unchecked.find(c) == std::string::npos;
            out << (firstWord ? "\n" : ",\n");
            firstWord = false;
            out << "       {\"id\": " << id
                << ", \"name\": " << JsonString(word ? word->Name : std::string())
                << ", \"checked\": " << (checked ? "true" : "false") << ", \"cycles\": [";
            bool firstCycle = true;
            for (const qv::WordCycle &cycle : qv::WordCycles(*test, id, checked)) {
                out << (firstCycle ? "" : ", ");
                firstCycle = false;
                out << "{\"cycle\": " << cycle.cycle + 1
                    << ", \"reference\": " << JsonNumber(cycle.reference)
                    << ", \"read\": " << JsonNumber(cycle.read)
                    << ", \"result\": " << JsonString(cycle.ResultName()) << "}";
            }
            out << "]}";
        }
        out << (firstWord ? "]}" : "\n     ]}");
    }
    out << (firstTest ? "]\n" : "\n  ]\n") << "}\n";
    return out.str();
}

} // namespace qortool
