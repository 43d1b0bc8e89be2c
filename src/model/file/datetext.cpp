#include "model/file/datetext.h"

#include "infra/daycount.h"
#include "infra/helpers.h"

#include <cctype>
#include <cstdio>

namespace qv {
namespace {

// A cursor over the text with the few token reads the forms need.
class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    bool Take(char ch)
    {
        if (Peek() != ch) {
            return false;
        }
        ++m_pos;
        return true;
    }
    void SkipSpaces()
    {
        while (!AtEnd() && m_text[m_pos] == ' ') {
            ++m_pos;
        }
    }
    // Digits, at least min and at most max of them.
    std::optional<int> Number(std::size_t min, std::size_t max, std::size_t *count = nullptr)
    {
        std::size_t n = 0;
        int value = 0;
        while (n < max && std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + (m_text[m_pos] - '0');
            ++m_pos;
            ++n;
        }
        if (n < min) {
            return std::nullopt;
        }
        if (count != nullptr) {
            *count = n;
        }
        return value;
    }
    // A word up to the next space or the end.
    std::string_view Word()
    {
        const std::size_t start = m_pos;
        while (!AtEnd() && m_text[m_pos] != ' ') {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }
    std::string_view Rest() const { return m_text.substr(std::min(m_pos, m_text.size())); }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

int FullYear(int year, std::size_t digits)
{
    if (digits > 2) {
        return year;
    }
    return year < 50 ? 2000 + year : 1900 + year;
}

std::optional<int> MonthOfName(std::string_view word)
{
    for (int month = 1; month <= 12; ++month) {
        if (SameTextNoCase(word, MonthNameGenitive(month))) {
            return month;
        }
    }
    return std::nullopt;
}

bool ReadDate(Scanner &in, DateTimeParts &parts, bool &iso)
{
    std::size_t digits = 0;
    const auto first = in.Number(1, 4, &digits);
    if (!first) {
        return false;
    }
    if (digits == 4) { // ISO: yyyy-MM-dd
        iso = true;
        parts.year = *first;
        if (!in.Take('-')) {
            return false;
        }
        const auto month = in.Number(1, 2);
        if (!month || !in.Take('-')) {
            return false;
        }
        const auto day = in.Number(1, 2);
        if (!day) {
            return false;
        }
        parts.month = *month;
        parts.day = *day;
        return true;
    }
    parts.day = *first;
    const char sep = in.Peek();
    if (sep == '.' || sep == '/' || sep == '-') {
        in.Take(sep);
        const auto month = in.Number(1, 2);
        if (!month || !in.Take(sep)) {
            return false;
        }
        const auto year = in.Number(2, 4, &digits);
        if (!year || digits == 3) {
            return false;
        }
        parts.month = *month;
        parts.year = FullYear(*year, digits);
        return true;
    }
    // d MMMM yyyy [г.]
    in.SkipSpaces();
    const auto month = MonthOfName(in.Word());
    in.SkipSpaces();
    const auto year = in.Number(4, 4);
    if (!month || !year) {
        return false;
    }
    parts.month = *month;
    parts.year = *year;
    const std::string_view yearMark = "г.";
    in.SkipSpaces();
    if (in.Rest().starts_with(yearMark)) {
        for (std::size_t i = 0; i < yearMark.size(); ++i) {
            in.Take(in.Peek());
        }
    }
    return true;
}

bool ReadTime(Scanner &in, DateTimeParts &parts)
{
    const auto hour = in.Number(1, 2);
    if (!hour || !in.Take(':')) {
        return false;
    }
    const auto minute = in.Number(2, 2);
    if (!minute) {
        return false;
    }
    parts.hour = *hour;
    parts.minute = *minute;
    if (in.Take(':')) {
        const auto second = in.Number(2, 2);
        if (!second) {
            return false;
        }
        parts.second = *second;
        if (in.Take('.')) {
            const auto msec = in.Number(3, 3);
            if (!msec) {
                return false;
            }
            parts.msec = *msec;
        }
    }
    return true;
}

} // namespace

std::string DateTimeText(double dayCount)
{
    const DateTimeParts p = FromDayCount(dayCount);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", p.day, p.month, p.year,
                  p.hour, p.minute, p.second);
    return text;
}

std::string IsoDateTimeText(double dayCount)
{
    const DateTimeParts p = FromDayCount(dayCount);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return text;
}

std::optional<double> ParseDateTimeText(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    Scanner in(text);
    DateTimeParts parts;
    bool iso = false;
    if (!ReadDate(in, parts, iso)) {
        return std::nullopt;
    }
    if (!in.AtEnd()) {
        if (!(iso && in.Take('T'))) {
            const std::size_t before = in.Rest().size();
            in.SkipSpaces();
            if (in.Rest().size() == before) {
                return std::nullopt;
            }
        }
        if (!ReadTime(in, parts) || !in.AtEnd()) {
            return std::nullopt;
        }
    }
    if (!IsValidDateTime(parts)) {
        return std::nullopt;
    }
    return ToDayCount(parts);
}

double DateTimeValue(std::string_view text)
{
    return ParseDateTimeText(text).value_or(0.0);
}

} // namespace qv
