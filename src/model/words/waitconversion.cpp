#include "model/words/waitconversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace qv {
namespace {

constexpr std::array<std::string_view, 3> kUnits = {"мкс", "мс", "с"};

std::optional<double> ParseNumber(std::string_view text)
{
    std::string normal(text);
    for (char &c : normal) {
        if (c == ',') {
            c = '.';
        }
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (normal.empty() || ec != std::errc() || end != normal.data() + normal.size() ||
        !std::isfinite(value) || value < 0) {
        return std::nullopt;
    }
    return value;
}

// Microseconds that n passes of a word of that width take.
double TimeOfPasses(std::int64_t passes, const WaitTiming &timing, int width)
{
    const double n = static_cast<double>(passes);
    if (timing.dosUnit) {
        return n * (width * timing.k + timing.b);
    }
    return (n - 1) * timing.dt + timing.t0;
}

std::optional<std::int64_t> PassCount(std::string_view text)
{
    std::int64_t passes = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), passes);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || passes < 0) {
        return std::nullopt;
    }
    return passes;
}

// A time text: its number and the index of its unit.
std::optional<std::pair<double, int>> TimeOf(std::string_view text)
{
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        return std::nullopt;
    }
    const auto number = ParseNumber(text.substr(0, space));
    const std::string_view unit = text.substr(space + 1);
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (number && unit == kUnits[i]) {
            return std::pair{*number, static_cast<int>(i)};
        }
    }
    return std::nullopt;
}

} // namespace

bool WellFormedWaitText(std::string_view text)
{
    return PassCount(text) || TimeOf(text);
}

std::optional<std::int64_t> WaitTextToPasses(std::string_view text, int width,
                                             const WaitCalibration *calibration)
{
    if (text.find(' ') == std::string_view::npos) {
        return PassCount(text);
    }
    const auto time = TimeOf(text);
    if (!time || !calibration) {
        return std::nullopt;
    }
    const auto [number, unitIndex] = *time;
    const auto timing = calibration->TimingFor(width);
    if (!timing) {
        return std::nullopt;
    }
    const double microseconds = number * std::pow(1000.0, unitIndex);
    double passes = 0;
    if (timing->dosUnit) {
        const double perPass = width * timing->k + timing->b;
        if (perPass <= 0) {
            return std::nullopt;
        }
        passes = microseconds / perPass;
    } else {
        if (timing->dt <= 0) {
            return std::nullopt;
        }
        passes = (microseconds - timing->t0) / timing->dt + 1;
    }
    if (!std::isfinite(passes) || passes > 4294967295.0) {
        return std::nullopt;
    }
    return std::max<std::int64_t>(1, std::llround(passes));
}

std::string FormatWaitTime(double microseconds)
{
    std::size_t unit = 0;
    double value = microseconds;
    while (unit + 1 < kUnits.size() && std::round(value * 1000) / 1000 >= 1000) {
        value /= 1000;
        ++unit;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string number(buffer, result.ptr);
    while (!number.empty() && number.back() == '0') {
        number.pop_back();
    }
    if (!number.empty() && number.back() == '.') {
        number.pop_back();
    }
    return number + " " + std::string(kUnits[unit]);
}

std::string WaitPassesToText(std::int64_t passes, int width, const WaitCalibration *calibration)
{
    const auto timing = calibration && passes >= 1 ? calibration->TimingFor(width) : std::nullopt;
    if (!timing) {
        return std::to_string(passes);
    }
    const double time = TimeOfPasses(passes, *timing, width);
    return std::isfinite(time) && time >= 0 ? FormatWaitTime(time) : std::to_string(passes);
}

} // namespace qv
