#include "model/diagnosis/diagnosistext.h"

#include "infra/plural.h"

#include <algorithm>
#include <cstdio>

namespace qv::diagnosis {

namespace {

constexpr NounForms kUnexplainedNoun{"ошибка не объяснена", "ошибки не объяснены",
                                     "ошибок не объяснено"};

std::string NameOf(int contact, ContactNames names)
{
    return contact >= 1 && static_cast<std::size_t>(contact) <= names.size()
               ? names[static_cast<std::size_t>(contact - 1)]
               : std::string();
}

std::string Named(int contact, ContactNames names)
{
    const std::string name = NameOf(contact, names);
    return name.empty() ? std::to_string(contact) : std::to_string(contact) + " «" + name + "»";
}

std::string ContactsJson(const Fault &fault)
{
    std::string json = "[" + std::to_string(fault.a);
    if (fault.IsPair())
        json += ", " + std::to_string(fault.b);
    return json + "]";
}

bool Concerns(const Hypothesis &h, int test)
{
    return std::any_of(h.bits.begin(), h.bits.end(),
                       [test](const WrongBit &b) { return b.test == test; });
}

} // namespace

std::string ContactText(int contact, ContactNames names)
{
    return "контакт " + Named(contact, names);
}

std::string FaultText(const Fault &fault, ContactNames names)
{
    const std::string who =
        fault.IsPair() ? "контакты " + Named(fault.a, names) + " и " + Named(fault.b, names)
                       : ContactText(fault.a, names);
    return who + " — " + std::string(KindText(fault.kind));
}

std::string_view FaultNote(const Fault &fault)
{
    return fault.kind == FaultKind::StuckHigh ? "обрыв или замыкание на питание" : "";
}

std::string HypothesisText(const Diagnosis &diagnosis, const Hypothesis &h, ContactNames names)
{
    std::string text =
        FaultText(h.fault, names) + ", объясняет " + Counted(h.Explains(), kErrorNoun);
    if (diagnosis.Intermittent(h))
        text += ", нестабильно: " + std::to_string(h.passes.size()) + " из " +
                Counted(diagnosis.passes, kPassNoun);
    return text;
}

std::string EquivalentsText(const Hypothesis &h, ContactNames names)
{
    if (h.equivalents.empty())
        return {};
    std::string text = "неотличимо от: ";
    for (std::size_t i = 0; i < h.equivalents.size(); ++i)
        text += (i ? "; " : "") + FaultText(h.equivalents[i], names);
    return text;
}

std::vector<std::string> DiagnosisLines(const Diagnosis &diagnosis, ContactNames names,
                                        bool equivalents)
{
    std::vector<std::string> lines;
    for (const Hypothesis &h : diagnosis.hypotheses) {
        lines.push_back("Диагноз: " + HypothesisText(diagnosis, h, names));
        if (equivalents && !h.equivalents.empty())
            lines.push_back("  " + EquivalentsText(h, names));
    }
    if (!diagnosis.unexplained.empty())
        lines.push_back(
            "Диагноз: " +
            Counted(static_cast<std::int64_t>(diagnosis.unexplained.size()), kUnexplainedNoun));
    return lines;
}

std::vector<std::string> DiagnosisLinesOfTest(const Diagnosis &diagnosis, int test,
                                              ContactNames names)
{
    std::vector<std::string> lines;
    for (const Hypothesis &h : diagnosis.hypotheses) {
        if (Concerns(h, test))
            lines.push_back("Диагноз: " + HypothesisText(diagnosis, h, names));
    }
    const auto unexplained =
        std::count_if(diagnosis.unexplained.begin(), diagnosis.unexplained.end(),
                      [test](const WrongBit &b) { return b.test == test; });
    if (unexplained > 0)
        lines.push_back("Диагноз: " + Counted(unexplained, kUnexplainedNoun));
    return lines;
}

std::string JsonText(std::string_view text)
{
    std::string json = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += ch;
        }
    }
    return json + "\"";
}

std::string DiagnosisJson(const Diagnosis &diagnosis, ContactNames names)
{
    std::string json = "[";
    for (std::size_t i = 0; i < diagnosis.hypotheses.size(); ++i) {
        const Hypothesis &h = diagnosis.hypotheses[i];
        json += i ? ",\n    {" : "\n    {";
        json += "\"kind\": " + JsonText(KindName(h.fault.kind));
        json += ", \"contacts\": " + ContactsJson(h.fault);
        json += ", \"names\": [" + JsonText(NameOf(h.fault.a, names));
        if (h.fault.IsPair())
            json += ", " + JsonText(NameOf(h.fault.b, names));
        json += "], \"explains\": " + std::to_string(h.Explains()) + ", \"passes\": [";
        for (std::size_t p = 0; p < h.passes.size(); ++p)
            json += (p ? ", " : "") + std::to_string(h.passes[p]);
        json += "], \"equivalents\": [";
        for (std::size_t e = 0; e < h.equivalents.size(); ++e)
            json += std::string(e ? ", " : "") +
                    "{\"kind\": " + JsonText(KindName(h.equivalents[e].kind)) +
                    ", \"contacts\": " + ContactsJson(h.equivalents[e]) + "}";
        json += "]}";
    }
    return json + (diagnosis.hypotheses.empty() ? "]" : "\n  ]");
}

} // namespace qv::diagnosis
