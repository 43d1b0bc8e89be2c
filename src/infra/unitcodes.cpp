#include "infra/unitcodes.h"

namespace qv {

namespace {

constexpr std::array<std::string_view, kLastUnitCommand> kNames{
    "INIT",        "EXIT",        "DATA_START", "DATA_BLOCK",  "DATA_CANCEL", "CP_DATA_REQ",
    "HARD_RESET",  "INTERNAL",    "BODR_START", "BODR_CONT",   "BODR_STOP",   "QORV_DATA",
    "QORV_CANCEL", "QORV_RETRY",  "QORV_RESET", "QORV_GET_T1", "QORV_GET_T2", "QORV_CALIBR",
    "QORV_ASK",    "QORV_INFO",   "TCT_RPORS",  "TCT_WPORTS",  "TCT_RZOND",   "TCT_WZOND",
    "UKT",         "QORV_PROGRE", "KELM_DATA",  "TCT_DOSWRK",  "QORV_GET_T3", "QORV_CNTID",
    "PELM_SETUP",  "PELM_READ",   "PELM_ZOND",  "PELM_START",  "PELM_STOP",   "PELM_RESERV",
    "PELM_CHECK",  "BUILD_INFO",
};

} // namespace

std::string_view UnitCommandName(int code)
{
    return IsUnitCommand(code) ? kNames[static_cast<std::size_t>(code - 1)] : std::string_view{};
}

std::optional<int> UnitCommandByName(std::string_view name)
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name)
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

} // namespace qv
