#include "ui/settings/probethresholds.h"

namespace qv::settings {

ProbeChoice ProbeChoiceFromPattern(int pattern)
{
    if (pattern == kTtlPattern)
        return {ProbeMode::Ttl, -1, -1};
    if (pattern == kDtlPattern)
        return {ProbeMode::Dtl, -1, -1};
    ProbeChoice choice{ProbeMode::Manual, -1, -1};
    for (int bit = 0; bit < 4; ++bit) {
        if ((pattern & (1 << bit)) == 0)
            continue;
        if (choice.lower < 0) {
            choice.lower = bit;
        } else {
            choice.upper = bit;
            break;
        }
    }
    return choice;
}

int PatternFromProbeChoice(const ProbeChoice &choice)
{
    switch (choice.mode) {
    case ProbeMode::Ttl:
        return kTtlPattern;
    case ProbeMode::Dtl:
        return kDtlPattern;
    case ProbeMode::Manual:
        break;
    }
    if (choice.lower < 0 || choice.upper < 0)
        return 0;
    return (1 << choice.lower) + (1 << choice.upper);
}

const char *ProbeChoiceProblem(const ProbeChoice &choice)
{
    if (choice.mode != ProbeMode::Manual)
        return nullptr;
    if (choice.lower < 0 || choice.upper < 0)
        return "Не задан нижний/верхний порог";
    if (choice.lower >= choice.upper)
        return "Неправильно задан нижний/верхний порог";
    return nullptr;
}

} // namespace qv::settings
