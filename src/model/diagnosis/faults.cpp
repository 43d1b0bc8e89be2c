#include "model/diagnosis/faults.h"

#include <algorithm>
#include <array>

namespace qv::diagnosis {

namespace {

struct KindWords
{
    FaultKind kind;
    std::string_view name;
    std::string_view text;
};

constexpr std::array<KindWords, 5> kKinds{{
    {FaultKind::StuckLow, "stuck-low", "постоянно 0"},
    {FaultKind::StuckHigh, "stuck-high", "постоянно 1"},
    {FaultKind::BridgeAnd, "bridge-and", "замыкание (И)"},
    {FaultKind::BridgeOr, "bridge-or", "замыкание (ИЛИ)"},
    {FaultKind::Swap, "swap", "перепутаны местами"},
}};

const KindWords &WordsOf(FaultKind kind)
{
    return kKinds[static_cast<std::size_t>(kind)];
}

} // namespace

Fault StuckFault(int contact, bool high)
{
    return {high ? FaultKind::StuckHigh : FaultKind::StuckLow, contact, 0};
}

Fault PairFault(FaultKind kind, int first, int second)
{
    return {kind, std::min(first, second), std::max(first, second)};
}

bool FaultyLevel(const Fault &fault, int contact, const Levels &levels)
{
    const bool own = levels[static_cast<std::size_t>(contact)];
    if (!fault.Touches(contact))
        return own;
    const bool other =
        fault.IsPair() ? levels[static_cast<std::size_t>(contact == fault.a ? fault.b : fault.a)]
                       : false;
    switch (fault.kind) {
    case FaultKind::StuckLow:
        return false;
    case FaultKind::StuckHigh:
        return true;
    case FaultKind::BridgeAnd:
        return own && other;
    case FaultKind::BridgeOr:
        return own || other;
    case FaultKind::Swap:
        return other;
    }
    return own;
}

std::string_view KindName(FaultKind kind)
{
    return WordsOf(kind).name;
}

std::optional<FaultKind> KindFromName(std::string_view name)
{
    for (const KindWords &k : kKinds) {
        if (k.name == name)
            return k.kind;
    }
    return std::nullopt;
}

std::string_view KindText(FaultKind kind)
{
    return WordsOf(kind).text;
}

} // namespace qv::diagnosis
