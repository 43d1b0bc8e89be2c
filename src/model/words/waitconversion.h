#pragma once

// Output-word waits as pass counts and as times. A wait limit text is either
// a count of wait passes ("0" = wait until the word matches) or a number, a
// space and a unit "мкс", "мс" or "с". How long one pass takes depends on the
// bus width of the word and on the unit's calibration, which the calibration
// code provides through WaitCalibration; without it waits stay pass counts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The timing of one wait pass of a word of a given bus width, in
// microseconds.
struct WaitTiming
{
    // A DOS-type unit: n passes take n * (width * k + b).
    bool dosUnit = false;
    double k = 0;
    double b = 0;
    // Any other unit: n passes take (n - 1) * dt + t0 (the wait table).
    double t0 = 0;
    double dt = 0;
};

class WaitCalibration
{
public:
    virtual ~WaitCalibration() = default;
    // The timing for a word of `width` bits (1..16); nullopt when the
    // calibration values are not available.
    virtual std::optional<WaitTiming> TimingFor(int width) const = 0;
};

inline constexpr std::string_view kWaitUntilMatch = "до совпадения";

// True for a limit text of either form (a pass count, or a number, a space
// and one of the three units); no calibration is needed to tell.
bool WellFormedWaitText(std::string_view text);

// The number of passes of a limit text: a pass count as it stands, a time
// converted with the calibration (at least one pass, so that a short time
// never turns into "wait until match"). nullopt for a malformed text, or a
// time without calibration values.
std::optional<std::int64_t> WaitTextToPasses(std::string_view text, int width,
                                             const WaitCalibration *calibration);

// The time of n passes as "number unit" in the first of мкс, мс, с in which
// the number is below 1000, at most three decimals, trailing zeros and point
// removed; the decimal pass count when no calibration values are available
// or n is below 1.
std::string WaitPassesToText(std::int64_t passes, int width, const WaitCalibration *calibration);

// Microseconds as a time text (the formatting above).
std::string FormatWaitTime(double microseconds);

} // namespace qv
