#include "model/modelfailure.h"

#include "infra/mesbo.h"

#include <memory>
#include <mutex>
#include <string>

namespace qv {

namespace {

std::mutex g_throttleMutex;
std::unique_ptr<FailureThrottle> g_throttle = std::make_unique<FailureThrottle>();

} // namespace

void RestartInternalFailureThrottle()
{
    std::lock_guard lock(g_throttleMutex);
    g_throttle = std::make_unique<FailureThrottle>();
}

void ReportInternalFailure(std::string_view text)
{
    bool allowed = false;
    {
        std::lock_guard lock(g_throttleMutex);
        allowed = g_throttle->Allow();
    }
    if (allowed) {
        Mesbo().Show(std::string(text), MbError, std::string(kInternalFailureCaption));
    }
}

void ReportMemoryFailure(std::string_view text)
{
    Mesbo().Show(std::string(text), MbWarning, std::string(kMemoryFailureCaption));
}

} // namespace qv
