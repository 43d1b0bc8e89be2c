#pragma once

// The faults a board or its adapter can have, as the diagnosis and the
// coverage of a test file name them: one contact stuck at 0 or at 1, two
// contacts shorted (both read the AND or the OR of their levels), two
// adapter wires crossed (each contact reads the other's level). Contacts
// count from 1, as the adapter is labelled.

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace qv::diagnosis {

inline constexpr int kContacts = 192;

// The level of every contact (index = contact number, 0 unused) at one
// moment of a test.
using Levels = std::bitset<kContacts + 1>;

// In the order the diagnosis prefers among faults it cannot tell apart.
enum class FaultKind { StuckLow, StuckHigh, BridgeAnd, BridgeOr, Swap };

struct Fault
{
    FaultKind kind = FaultKind::StuckLow;
    int a = 0; // the contact; of a pair the lower one
    int b = 0; // the other contact of a pair; 0 for a stuck contact

    bool IsPair() const { return b != 0; }
    bool Touches(int contact) const { return contact == a || contact == b; }
    friend bool operator==(const Fault &, const Fault &) = default;
    friend auto operator<=>(const Fault &, const Fault &) = default;
};

// A fault on one contact, or on a pair given in either order.
Fault StuckFault(int contact, bool high);
Fault PairFault(FaultKind kind, int first, int second);

// What `contact` reads under the fault when the contacts stand at `levels`
// (the fault-free levels of that moment).
bool FaultyLevel(const Fault &fault, int contact, const Levels &levels);

// "stuck-low", "stuck-high", "bridge-and", "bridge-or", "swap".
std::string_view KindName(FaultKind kind);
std::optional<FaultKind> KindFromName(std::string_view name);
// The operator's words: "постоянно 0", "постоянно 1", "замыкание (И)",
// "замыкание (ИЛИ)", "перепутаны местами".
std::string_view KindText(FaultKind kind);

} // namespace qv::diagnosis
