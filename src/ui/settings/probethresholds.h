#pragma once

// The probe's threshold pattern as the settings window offers it: a mode
// (TTL, DTL or manual) and, for manual, a lower and an upper threshold, each
// a position 0..3 in "0.8В", "2.0В", "5.0В", "10.0В". The pattern has one
// bit per threshold: TTL is 3, DTL 12, manual 2^lower + 2^upper.

namespace qv::settings {

enum class ProbeMode : int { Ttl = 0, Dtl = 1, Manual = 2 };

struct ProbeChoice
{
    ProbeMode mode = ProbeMode::Ttl;
    int lower = -1; // -1 = not chosen
    int upper = -1;
};

inline constexpr int kTtlPattern = 3;
inline constexpr int kDtlPattern = 12;

// 3 and 12 are their modes; anything else is manual with the lowest set bit
// as the lower threshold and the next set bit as the upper (-1 when absent).
ProbeChoice ProbeChoiceFromPattern(int pattern);
// The pattern of a choice; 0 for a manual choice with a threshold missing.
int PatternFromProbeChoice(const ProbeChoice &choice);
// What is wrong with a manual choice: "Не задан нижний/верхний порог" when
// a threshold is missing, "Неправильно задан нижний/верхний порог" unless
// the lower one lies strictly below the upper; null when it is sound (and
// always for TTL and DTL).
const char *ProbeChoiceProblem(const ProbeChoice &choice);

} // namespace qv::settings
