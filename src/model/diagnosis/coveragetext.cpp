#include "model/diagnosis/coveragetext.h"

namespace qv::diagnosis {

namespace {

std::string_view YesNo(bool yes)
{
    return yes ? "да" : "нет";
}

std::string_view Bool(bool yes)
{
    return yes ? "true" : "false";
}

std::string NameOf(int contact, ContactNames names)
{
    return contact >= 1 && static_cast<std::size_t>(contact) <= names.size()
               ? names[static_cast<std::size_t>(contact - 1)]
               : std::string();
}

} // namespace

std::string CoverageTotalText(const Coverage &coverage)
{
    return "обнаруживается " + std::to_string(coverage.Percent()) +
           " % одиночных неисправностей (" + std::to_string(coverage.detected) + " из " +
           std::to_string(coverage.faults) + ")";
}

std::string ContactCoverageText(const ContactCoverage &c, ContactNames names)
{
    std::string role;
    if (c.read)
        role = "чтение";
    if (c.driven)
        role += role.empty() ? "управление" : ", управление";
    std::string text = ContactText(c.contact, names) + " (" + role + "): постоянно 0 — " +
                       std::string(YesNo(c.stuckLow)) + ", постоянно 1 — " +
                       std::string(YesNo(c.stuckHigh));
    for (const BridgeCoverage &b : c.bridges) {
        const std::string with = ContactText(b.with, names).substr(std::string("контакт ").size());
        text += "; замыкание с " + with + ": И — " + std::string(YesNo(b.bridgeAnd)) + ", ИЛИ — " +
                std::string(YesNo(b.bridgeOr));
    }
    return text;
}

std::string BlindText(const Coverage &coverage, ContactNames names)
{
    const std::vector<int> blind = coverage.BlindContacts();
    if (blind.empty())
        return "Каждый контакт виден хотя бы одному тесту";
    std::string text = "Не видны ни одному тесту: ";
    for (std::size_t i = 0; i < blind.size(); ++i)
        text += (i ? ", " : "") + ContactText(blind[i], names);
    return text;
}

std::vector<std::string> CoverageLines(const Coverage &coverage, ContactNames names)
{
    std::vector<std::string> lines;
    for (const ContactCoverage &c : coverage.contacts)
        lines.push_back(ContactCoverageText(c, names));
    lines.push_back("Итого: " + CoverageTotalText(coverage));
    lines.push_back(BlindText(coverage, names));
    return lines;
}

std::string CoverageJson(const Coverage &coverage, ContactNames names)
{
    std::string json = "{\n  \"tests\": [";
    for (std::size_t i = 0; i < coverage.tests.size(); ++i)
        json += (i ? ", " : "") + std::to_string(coverage.tests[i] + 1);
    json += "],\n  \"faults\": " + std::to_string(coverage.faults) +
            ",\n  \"detected\": " + std::to_string(coverage.detected) +
            ",\n  \"percent\": " + std::to_string(coverage.Percent()) + ",\n  \"contacts\": [";
    for (std::size_t i = 0; i < coverage.contacts.size(); ++i) {
        const ContactCoverage &c = coverage.contacts[i];
        json += i ? ",\n    {" : "\n    {";
        json += "\"contact\": " + std::to_string(c.contact) +
                ", \"name\": " + JsonText(NameOf(c.contact, names)) +
                ", \"read\": " + std::string(Bool(c.read)) +
                ", \"driven\": " + std::string(Bool(c.driven)) +
                ", \"stuckLow\": " + std::string(Bool(c.stuckLow)) +
                ", \"stuckHigh\": " + std::string(Bool(c.stuckHigh)) + ", \"bridges\": [";
        for (std::size_t b = 0; b < c.bridges.size(); ++b)
            json += std::string(b ? ", " : "") + "{\"with\": " + std::to_string(c.bridges[b].with) +
                    ", \"and\": " + std::string(Bool(c.bridges[b].bridgeAnd)) +
                    ", \"or\": " + std::string(Bool(c.bridges[b].bridgeOr)) + "}";
        json += "]}";
    }
    json += coverage.contacts.empty() ? "],\n  \"blind\": [" : "\n  ],\n  \"blind\": [";
    const std::vector<int> blind = coverage.BlindContacts();
    for (std::size_t i = 0; i < blind.size(); ++i)
        json += (i ? ", " : "") + std::to_string(blind[i]);
    return json + "]\n}\n";
}

} // namespace qv::diagnosis
