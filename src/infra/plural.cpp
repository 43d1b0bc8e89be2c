#include "infra/plural.h"

namespace qv {

std::string_view PluralForm(std::int64_t count, const NounForms &noun)
{
    // Negative counts agree as their magnitude does ("-1 тест"); the
    // remainders are taken without risking overflow at the minimum.
    const std::int64_t lastTwo = count % 100 < 0 ? -(count % 100) : count % 100;
    const std::int64_t last = lastTwo % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return noun.many;
    if (last == 1)
        return noun.one;
    if (last >= 2 && last <= 4)
        return noun.few;
    return noun.many;
}

std::string Counted(std::int64_t count, const NounForms &noun)
{
    std::string text = std::to_string(count);
    text += ' ';
    text += PluralForm(count, noun);
    return text;
}

} // namespace qv
