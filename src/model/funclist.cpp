#include "model/funclist.h"

#include "infra/mesbo.h"

namespace qv {

void ReportInternalFailure(std::string_view where)
{
    static FailureThrottle throttle;
    if (throttle.Allow())
        Mesbo().Show(std::string(where), MbError, "Внутренний сбой работы программы");
}

void ReportMemoryFailure(std::string_view where)
{
    Mesbo().Show("Недостаточно памяти (" + std::string(where) + ")", MbError,
                 "Ошибка использования динамической памяти");
}

} // namespace qv
