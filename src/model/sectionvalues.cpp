#include "model/sectionvalues.h"

#include "model/inistore.h"

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

} // namespace

SectionFormatError::SectionFormatError(std::string_view section, std::string_view key,
                                       std::string_view value, std::string_view problem)
    : std::runtime_error("Ошибка в структуре файла: раздел [" + std::string(section) + "], ключ " +
                         std::string(key) + ": значение \"" + Printable(value) + "\" " +
                         std::string(problem))
{}

SectionFormatError SectionFormatError::InTest(int testIndex) const
{
    return SectionFormatError("Тест " + std::to_string(testIndex + 1) + ". " + what());
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
        throw SectionFormatError(section, key, *value, "не является целым числом");
    }
    return *parsed;
}

} // namespace qv
