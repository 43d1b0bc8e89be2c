#include "model/functions/funcwordref.h"

#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"

#include <charconv>

namespace qv {
namespace {

constexpr std::string_view kNotAWordRef = "не является ссылкой на слово (буква и номер)";

WordRef ParseWordRef(std::string_view section, std::string_view key, std::string_view value)
{
    WordRef ref;
    ref.kind = value.front();
    const std::string_view digits = value.substr(1);
    const char *end = digits.data() + digits.size();
    const auto [stop, ec] = std::from_chars(digits.data(), end, ref.number);
    if (digits.empty() || ec != std::errc() || stop != end) {
        ReportMalformedValue(section, key, value, kNotAWordRef);
        return {};
    }
    return ref;
}

} // namespace

WordRef ReadWordRefRequired(const IniStore &ini, std::string_view section, std::string_view key)
{
    const std::string value = ini.ReadString(section, key, "");
    if (value.empty()) {
        ReportMalformedValue(section, key, value, kNotAWordRef);
        return {};
    }
    return ParseWordRef(section, key, value);
}

WordRef ReadWordRefOptional(const IniStore &ini, std::string_view section, std::string_view key)
{
    const std::string value = ini.ReadString(section, key, "");
    if (value.empty())
        return {};
    return ParseWordRef(section, key, value);
}

std::string WordRefText(char kind, std::int32_t number)
{
    std::string text(1, kind);
    text += std::to_string(number);
    return text;
}

} // namespace qv
