#include "model/core/modelfailure.h"

#include "infra/mesbo.h"

#include <string>

namespace qv {

namespace {

FailureThrottle g_throttle;

} // namespace

void RestartInternalFailureThrottle()
{
    g_throttle.Reset();
}

void ReportInternalFailure(std::string_view text)
{
    if (g_throttle.Allow()) {
        Mesbo().Show(std::string(text), MbError, std::string(kInternalFailureCaption));
    }
}

void ReportMemoryFailure(std::string_view text)
{
    Mesbo().Show(std::string(text), MbWarning, std::string(kMemoryFailureCaption));
}

} // namespace qv
