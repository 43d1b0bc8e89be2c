#include "model/words/wordvalues.h"

#include <algorithm>
#include <charconv>

namespace qv {

int CountValues(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    int count = 1;
    for (const char c : text) {
        count += c == kValueSeparator ? 1 : 0;
    }
    return count;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::vector<std::string_view> SplitValues(std::string_view text)
{
    return text.empty() ? std::vector<std::string_view>() : SplitAt(text, kValueSeparator);
}

std::optional<std::string_view> ValueTextAt(std::string_view text, int index)
{
    if (text.empty() || index < 0) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t end = text.find(kValueSeparator, start);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        start = end + 1;
    }
    const std::size_t end = text.find(kValueSeparator, start);
    return text.substr(start, end == std::string_view::npos ? end : end - start);
}

std::optional<std::int32_t> ParseValue(std::string_view text)
{
    std::int32_t value = 0;
    const char *first = text.data();
    const char *last = text.data() + text.size();
    if (text.empty()) {
        return std::nullopt;
    }
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> WithValueAt(std::string_view text, int index, std::string_view value,
                                       bool extend)
{
    if (index < 0) {
        return std::nullopt;
    }
    std::vector<std::string_view> values = SplitValues(text);
    const std::string_view none(&kNoValue, 1);
    if (static_cast<std::size_t>(index) >= values.size()) {
        if (!extend) {
            return std::nullopt;
        }
        values.resize(static_cast<std::size_t>(index) + 1, none);
    }
    values[static_cast<std::size_t>(index)] = value;
    std::string out;
    out.reserve(text.size() + value.size() + 2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out.push_back(kValueSeparator);
        }
        out += values[i];
    }
    return out;
}

std::string RepeatValue(std::string_view value, int count)
{
    std::string out(value);
    out.reserve((value.size() + 1) * static_cast<std::size_t>(count > 1 ? count : 1));
    for (int i = 1; i < count; ++i) {
        out.push_back(kValueSeparator);
        out += value;
    }
    return out;
}

std::string MergeRunValues(std::string_view reference, std::string_view run, int onlyCycle)
{
    const auto runValues = SplitValues(run);
    const auto referenceValues = SplitValues(reference);
    const std::size_t count = std::max(runValues.size(), referenceValues.size());
    std::string out;
    out.reserve(reference.size() + 8);
    bool first = true;
    for (std::size_t i = 0; i < count; ++i) {
        const bool taken = i < runValues.size() &&
                           !(runValues[i].size() == 1 && runValues[i][0] == kNoValue) &&
                           (onlyCycle < 0 || i == static_cast<std::size_t>(onlyCycle));
        if (!taken && i >= referenceValues.size()) {
            continue;
        }
        if (!first) {
            out.push_back(kValueSeparator);
        }
        out += taken ? runValues[i] : referenceValues[i];
        first = false;
    }
    return out;
}

bool ValuesWellFormed(std::string_view text, bool allowNoValue)
{
    for (const std::string_view value : SplitValues(text)) {
        const bool none = value.size() == 1 && value[0] == kNoValue;
        if (!(none && allowNoValue) && !ParseValue(value)) {
            return false;
        }
    }
    return true;
}

} // namespace qv
