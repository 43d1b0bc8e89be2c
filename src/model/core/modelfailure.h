#pragma once

// How the model reports what the operator cannot fix: an internal
// inconsistency (a word that is not there, reading past the last value, a
// value that is not a number) and a failed allocation. Both go through the
// message-box service; internal failures are let through at most once in
// 3000 ms so that a failure repeating in a loop cannot flood the operator.

#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

inline constexpr std::string_view kInternalFailureCaption = "Внутренний сбой работы программы";
inline constexpr std::string_view kMemoryFailureCaption =
    "Ошибка использования динамической памяти";

// An internal inconsistency that stops the operation: its text names the
// routine ("TQuorvik::WordMask"). Whoever runs the operation reports it.
class InternalError : public std::logic_error
{
public:
    explicit InternalError(const std::string &routine)
        : std::logic_error(routine)
    {}
};

// Error icon, caption kInternalFailureCaption; throttled.
void ReportInternalFailure(std::string_view text);
// Forgets when the last internal failure was shown, so the next one is
// shown at once (a new session; the tests start each case with it).
void RestartInternalFailureThrottle();
// Warning icon, caption kMemoryFailureCaption.
void ReportMemoryFailure(std::string_view text);

} // namespace qv
