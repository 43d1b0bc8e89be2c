#pragma once

// Per-cycle value texts of words: decimal values, one per cycle, joined by
// "/". In run texts the byte kNoValue stands in place of a value that has not
// been taken yet. These texts are what the test file stores, so they are kept
// as text and parsed on demand.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr char kValueSeparator = '/';
inline constexpr char kNoValue = '\xFF';

// Number of values: separators + 1; 0 for an empty text.
int CountValues(std::string_view text);

// The pieces of a text between separators, in order (n separators give
// n + 1 pieces, an empty text one empty piece).
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

// The value texts in order; an empty text gives none.
std::vector<std::string_view> SplitValues(std::string_view text);

// The text of value `index` (0-based); nullopt past the last value.
std::optional<std::string_view> ValueTextAt(std::string_view text, int index);

// A whole signed decimal number within 32 bits; nullopt for anything else
// (the no-value byte included).
std::optional<std::int32_t> ParseValue(std::string_view text);

// The text with value `index` replaced. A run text is first extended with
// no-value bytes up to that index; a reference text is not (nullopt when
// the index is past its last value).
std::optional<std::string> WithValueAt(std::string_view text, int index, std::string_view value,
                                       bool extend);

// One value repeated `count` times (at least once), joined by "/".
std::string RepeatValue(std::string_view value, int count);

// The reference values with run values merged in: the run value of a cycle
// replaces the reference value when it was taken and when onlyCycle is -1
// or that cycle. Cycles without a value in either text are dropped.
std::string MergeRunValues(std::string_view reference, std::string_view run, int onlyCycle);

// True when every value is a decimal number (an empty text has none to
// check); the no-value byte counts as a value only when allowNoValue.
bool ValuesWellFormed(std::string_view text, bool allowNoValue);

} // namespace qv
