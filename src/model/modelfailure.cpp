#include "model/modelfailure.h"

#include "infra/mesbo.h"

#include <string>

namespace qv {

void ReportInternalFailure(std::string_view text)
{
    static FailureThrottle throttle;
    if (throttle.Allow()) {
        Mesbo().Show(std::string(text), MbError, std::string(kInternalFailureCaption));
    }
}

void ReportMemoryFailure(std::string_view text)
{
    Mesbo().Show(std::string(text), MbWarning, std::string(kMemoryFailureCaption));
}

} // namespace qv
