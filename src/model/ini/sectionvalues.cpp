#include "model/ini/sectionvalues.h"

#include "model/ini/inistore.h"

namespace qv {
namespace {

// Control bytes of a broken value are shown as "?" so that the message box
// stays readable; the text is cut after 40 characters.
std::string Printable(std::string_view value)
{
    std::string out;
    for (const char c : value.substr(0, 40)) {
        out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    }
    if (value.size() > 40) {
        out += "...";
    }
    return out;
}

thread_local MalformedValues *t_activeCollector = nullptr;

} // namespace

std::string ValueProblemText(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view problem)
{
    return "раздел [" + std::string(section) + "], ключ " + std::string(key) + ": значение \"" +
           Printable(value) + "\" " + std::string(problem);
}

SectionFormatError::SectionFormatError(std::string_view section, std::string_view key,
                                       std::string_view value, std::string_view problem)
    : std::runtime_error("Ошибка в структуре файла: " +
                         ValueProblemText(section, key, value, problem))
{}

MalformedValues::MalformedValues()
    : m_outer(t_activeCollector)
{
    t_activeCollector = this;
}

MalformedValues::~MalformedValues()
{
    t_activeCollector = m_outer;
}

MalformedValues *MalformedValues::Active()
{
    return t_activeCollector;
}

void ReportMalformedValue(std::string_view section, std::string_view key, std::string_view value,
                          std::string_view problem)
{
    if (MalformedValues *collector = MalformedValues::Active()) {
        collector->Add(ValueProblemText(section, key, value, problem));
        return;
    }
    throw SectionFormatError(section, key, value, problem);
}

std::string NumberedName(std::string_view stem, long long number)
{
    std::string name(stem);
    name += std::to_string(number);
    return name;
}

std::int32_t ReadIntStrict(const IniStore &ini, std::string_view section, std::string_view key,
                           std::int32_t def)
{
    const auto value = ini.Find(section, key);
    if (!value || value->empty()) {
        return def;
    }
    const auto parsed = ParseIniInteger(*value);
    if (!parsed) {
        ReportMalformedValue(section, key, *value, "не является целым числом");
        return def;
    }
    return *parsed;
}

std::int32_t ReadIntInRange(const IniStore &ini, std::string_view section, std::string_view key,
                            std::int32_t def, std::int32_t low, std::int32_t high)
{
    const std::int32_t value = ReadIntStrict(ini, section, key, def);
    if (value < low || value > high) {
        ReportMalformedValue(section, key, std::to_string(value),
                             "вне допустимых пределов (" + std::to_string(low) + ".." +
                                 std::to_string(high) + ")");
        return def;
    }
    return value;
}

} // namespace qv
