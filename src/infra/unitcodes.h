#pragma once

// The vocabulary that the diagnostics unit and the system share: the command
// codes of the unit link and the device-side programs the unit runs. Both the
// tester port and the simulated unit name commands by these codes.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv {

// Command codes: 1-based positions in the unit's vocabulary.
enum UnitCommand : int {
    INIT = 1,
    EXIT = 2,
    DATA_START = 3,
    DATA_BLOCK = 4,
    DATA_CANCEL = 5,
    CP_DATA_REQ = 6,
    HARD_RESET = 7,
    INTERNAL = 8,
    BODR_START = 9,
    BODR_CONT = 10,
    BODR_STOP = 11,
    QORV_DATA = 12,
    QORV_CANCEL = 13,
    QORV_RETRY = 14,
    QORV_RESET = 15,
    QORV_GET_T1 = 16,
    QORV_GET_T2 = 17,
    QORV_CALIBR = 18,
    QORV_ASK = 19,
    QORV_INFO = 20,
    TCT_RPORS = 21,
    TCT_WPORTS = 22,
    TCT_RZOND = 23,
    TCT_WZOND = 24,
    UKT = 25,
    QORV_PROGRE = 26,
    KELM_DATA = 27,
    TCT_DOSWRK = 28,
    QORV_GET_T3 = 29,
    QORV_CNTID = 30,
    PELM_SETUP = 31,
    PELM_READ = 32,
    PELM_ZOND = 33,
    PELM_START = 34,
    PELM_STOP = 35,
    PELM_RESERV = 36,
    PELM_CHECK = 37,
    BUILD_INFO = 38,
};

inline constexpr int kFirstUnitCommand = INIT;
inline constexpr int kLastUnitCommand = BUILD_INFO;

constexpr bool IsUnitCommand(int code)
{
    return code >= kFirstUnitCommand && code <= kLastUnitCommand;
}

// The name of a command code ("QORV_RESET"), or an empty view outside 1..38.
std::string_view UnitCommandName(int code);
// The code of a command name (exact, upper case), or nullopt.
std::optional<int> UnitCommandByName(std::string_view name);

// A device-side program of the unit, in the order in which the build
// information reports their versions.
struct DeviceProgram
{
    std::string_view tag;
    std::string_view file;
    std::string_view displayName;
};

inline constexpr std::array<DeviceProgram, 6> kDevicePrograms{{
    {"QORV", "quorvik.exe", "Диагностический тест QUORVIK"},
    {"BODR", "bodrin.exe", "Диагностика системы BODRIN"},
    {"PELM", "pelmar.exe", "Сигнатурный тест PELMAR"},
    {"DROS", "drossa.exe", "Тест контактов DROSSA"},
    {"VINT", "vintor.exe", "Тест памяти RAM/ROM"},
    {"KELM", "kelm.exe", "Программа управления KELM"},
}};

// Device types reported in byte 0 of the build information.
enum UnitType : int { UnitTypeArm = 0, UnitTypeMsDos = 1 };

// The one data byte of UKT: what the unit's current control does.
enum class CurrentControlOp : std::uint8_t {
    Measure = 1,          // measure now (the operator's check); answers per circuit
    MeasureBeforeRun = 2, // the same, as the first phase of a run
    ArmAlarm = 3,         // watch the currents while the run goes on
    Disarm = 4,           // stop watching (the run window closed)
};

// The value of the UKT notification an armed unit sends when a current
// leaves its limit: the run is stopped with an error.
inline constexpr std::uint32_t kCurrentAlarm = 2;

// The oscilloscope probe's byte protocol. Commands start with kProbeCommand
// and are seven bytes long; every other request is one byte.
inline constexpr std::uint8_t kProbeInternalFailure = 0x9B; // reply: the device failed
inline constexpr std::uint8_t kProbeAck = 0x9C;             // reply: acknowledge
inline constexpr std::uint8_t kProbeCommand = 0x9D;         // first byte of a command
inline constexpr std::uint8_t kProbeBlockRequest = 0x9E;    // send the next captured block
// Stop capturing and return to the idle setting.
inline constexpr std::array<std::uint8_t, 7> kProbeIdleCommand{kProbeCommand, 0x02, 0x06, 0x04,
                                                               0x01,          0x01, 0xFF};
// The capture command: kProbeCapture, then (scale + kProbeScaleBase),
// (sweep + kProbeSweepBase) and kProbeCaptureTail.
inline constexpr std::uint8_t kProbeCapture = 0x03;
inline constexpr std::uint8_t kProbeScaleBase = 4;
inline constexpr std::uint8_t kProbeSweepBase = 1;
inline constexpr std::array<std::uint8_t, 3> kProbeCaptureTail{0x02, 0x02, 0x77};

} // namespace qv
