#include "runreport.h"

#include "infra/plural.h"
#include "model/document/quorvik.h"
#include "model/document/stest.h"

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

std::int32_t ErrorsOf(const qv::TQuorvik &doc, int test)
{
    return static_cast<std::size_t>(test) < doc.ErrorCounts.size()
               ? doc.ErrorCounts[static_cast<std::size_t>(test)]
               : 0;
}

} // namespace

std::vector<WordCycle> WordCycles(const qv::STest &test, int id, bool checked)
{
    std::vector<WordCycle> cycles;
    const qv::SWord *word = test.OWords.Find(id);
    if (word == nullptr)
        return cycles;
    for (int c = 0; c < test.Cycles; ++c) {
        WordCycle cycle;
        cycle.cycle = c;
        cycle.reference =
            test.OWords.ValueAt(id, word->IsConstant() ? 0 : c, qv::ValueSet::Reference);
        cycle.read = test.OWords.ValueAt(id, c, qv::ValueSet::Run);
        cycle.checked = checked;
        cycles.push_back(cycle);
    }
    return cycles;
}

void PrintRunSummary(std::ostream &out, const qv::TQuorvik &doc, const qv::RunVerdict &verdict)
{
    if (doc.SolidTest && verdict.passes > 0)
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
        for (const char c : record.oWords) {
            const int id = static_cast<unsigned char>(c);
            const bool checked = record.unchecked.find(c) == std::string::npos;
            for (const WordCycle &cycle : WordCycles(*test, id, checked)) {
                if (!cycle.Wrong())
                    continue;
                out << "  " << WordLabel(*test, id) << ", цикл " << cycle.cycle + 1 << ": эталон "
                    << JsonNumber(cycle.reference) << ", прочитано " << JsonNumber(cycle.read)
                    << "\n";
            }
        }
    }
}

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                json += escaped;
            } else {
                json += ch;
            }
        }
    }
    return json + "\"";
}

std::string RunReportJson(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                          const RunReportInfo &info)
{
    std::ostringstream out;
    const double seconds = std::chrono::duration<double>(info.finished - info.started).count();
    out << "{\n  \"file\": " << JsonString(info.file) << ",\n";
    out << "  \"unit\": {\"address\": " << JsonString(info.address)
        << ", \"build\": " << JsonString(info.buildInfo) << "},\n";
    out << "  \"started\": " << JsonString(IsoTime(info.started)) << ",\n";
    out << "  \"seconds\": " << seconds << ",\n";
    out << "  \"mode\": {\"allTests\": " << (doc.CurrentTest < 0 ? "true" : "false")
        << ", \"continuous\": " << (doc.SolidTest ? "true" : "false")
        << ", \"debug\": " << (doc.DebugMode ? "true" : "false") << "},\n";
    out << "  \"passes\": " << verdict.passes << ",\n";
    out << "  \"failingPasses\": " << verdict.failingPasses << ",\n";
    out << "  \"verdict\": {\"kind\": " << JsonString(KindName(verdict.kind))
        << ", \"text\": " << JsonString(verdict.text) << "},\n";
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
            for (const WordCycle &cycle : WordCycles(*test, id, checked)) {
                out << (firstCycle ? "" : ", ");
                firstCycle = false;
                out << "{\"cycle\": " << cycle.cycle + 1
                    << ", \"reference\": " << JsonNumber(cycle.reference)
                    << ", \"read\": " << JsonNumber(cycle.read) << ", \"result\": "
                    << JsonString(!cycle.read     ? "not-read"
                                  : cycle.Wrong() ? "wrong"
                                                  : "ok")
                    << "}";
            }
            out << "]}";
        }
        out << (firstWord ? "]}" : "\n     ]}");
    }
    out << (firstTest ? "]\n" : "\n  ]\n") << "}\n";
    return out.str();
}

} // namespace qortool
