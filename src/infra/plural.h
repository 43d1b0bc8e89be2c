#pragma once

// Russian nouns after a count: "1 тест", "3 теста", "5 тестов", "21 тест",
// "12 тестов". A noun is given by its three forms: for one (1, 21, 101),
// for a few (2-4, 22-24) and for many (0, 5-20, 11-14, 25-30).

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

struct NounForms
{
    std::string_view one;  // "тест"
    std::string_view few;  // "теста"
    std::string_view many; // "тестов"
};

// The form of the noun that follows `count`.
std::string_view PluralForm(std::int64_t count, const NounForms &noun);
// The count and the noun in agreement: "3 теста".
std::string Counted(std::int64_t count, const NounForms &noun);

// Nouns the program counts.
inline constexpr NounForms kTestNoun{"тест", "теста", "тестов"};
inline constexpr NounForms kErrorNoun{"ошибка", "ошибки", "ошибок"};
inline constexpr NounForms kPassNoun{"прогон", "прогона", "прогонов"};
inline constexpr NounForms kByteNoun{"байт", "байта", "байт"};
inline constexpr NounForms kContactNoun{"контакт", "контакта", "контактов"};

} // namespace qv
