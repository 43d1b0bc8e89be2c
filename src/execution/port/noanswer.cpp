#include "execution/port/noanswer.h"

#include "infra/unitcodes.h"

namespace qv {

std::string NoAnswerText(int code, long long milliseconds)
{
    const std::string what = code != 0 ? "на команду " + std::string(UnitCommandName(code)) : "";
    return "Блок диагностики не ответил " + what + " за " + std::to_string(milliseconds) + " мс";
}

} // namespace qv
