#include "model/inivalues.h"

#include "model/inistore.h"

#include <charconv>

namespace qv {

SectionValueError::SectionValueError(std::string_view section, std::string_view key,
                                     std::string_view value, std::string_view expected)
    : std::runtime_error("Ошибка в секции [" + std::string(section) + "]: значение ключа " +
                         std::string(key) + " \"" + std::string(value) + "\" не является " +
                         std::string(expected) + ". Файл поврежден.")
{}

SectionValueError::SectionValueError(const SectionValueError &inner, int testIndex)
    : std::runtime_error("Тест " + std::to_string(testIndex + 1) + ". " + inner.what())
{}

std::int32_t ReadIntStrict(const IniStore &ini, std::string_view section, std::string_view key,
                           std::int32_t def)
{
    const auto value = ini.Find(section, key);
    if (!value || value->empty())
        return def;
    // The store's reader gives its default for anything it cannot read; two
    // different defaults tell a real value from a failed read.
    const std::int32_t first = ini.ReadInteger(section, key, 0);
    const std::int32_t second = ini.ReadInteger(section, key, 1);
    if (first != second)
        throw SectionValueError(section, key, *value, "целым числом");
    return first;
}

namespace {

WordRef ParseWordRef(std::string_view section, std::string_view key, std::string_view value)
{
    // The kind letter is taken as it stands; only the number is checked.
    WordRef ref;
    ref.kind = value.front();
    const std::string_view digits = value.substr(1);
    const char *end = digits.data() + digits.size();
    const auto [stop, ec] = std::from_chars(digits.data(), end, ref.number);
    if (digits.empty() || ec != std::errc() || stop != end)
        throw SectionValueError(section, key, value, "ссылкой на слово (буква и номер)");
    return ref;
}

} // namespace

WordRef ReadWordRefRequired(const IniStore &ini, std::string_view section, std::string_view key)
{
    const std::string value = ini.ReadString(section, key, "");
    if (value.empty())
        throw SectionValueError(section, key, value, "ссылкой на слово (буква и номер)");
    return ParseWordRef(section, key, value);
}

WordRef ReadWordRefOptional(const IniStore &ini, std::string_view section, std::string_view key)
{
    const std::string value = ini.ReadString(section, key, "");
    if (value.empty())
        return {};
    return ParseWordRef(section, key, value);
}

} // namespace qv
