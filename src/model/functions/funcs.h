#pragma once

// S-functions: a byte stream moved between a data file and a serial
// interface of the tester. Sections "SFUNCS<n>", n = 1..16.

#include "model/functions/func.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;
struct SSaveParam;

// Interfaces (key TYPE). Only the first two carry serial parameters.
enum SerialInterface : std::int32_t {
    IfaceRs232 = 0,
    IfaceIrps = 1,
    IfaceI2c = 2,
    IfaceRs485 = 3,
};

// "RS232", "ИРПС", "I2C", "RS485"; empty for any other value.
std::string_view SerialInterfaceName(std::int32_t iface);
bool HasSerialParameters(std::int32_t iface);
// Parity names ("откл", "чет", "нечет", "Пробел (0)", "Маркер (1)") and
// flow-control names ("нет", "CTS/RTS", "XON/XOFF"); empty out of range.
std::string_view ParityName(std::int32_t index);
std::string_view FlowControlName(std::int32_t index);
inline constexpr std::array<std::int32_t, 8> kBaudRates = {1200,  2400,  4800,  9600,
                                                           19200, 38400, 57600, 115200};

struct SSerialParams
{
    std::int32_t Speed = 0;    // baud rate
    std::int32_t DataBits = 0; // 7 or 8
    std::int32_t Parity = 0;   // index of ParityName
    std::int32_t StopBits = 0; // 1 or 2
    std::int32_t Handling = 0; // index of FlowControlName

    friend bool operator==(const SSerialParams &, const SSerialParams &) = default;
};

struct SFuncS
{
    std::int32_t Number = 0; // 1..16
    std::string Name;
    std::int32_t Interface = 0; // SerialInterface (key TYPE)
    std::int32_t Mode = 0;      // FuncDirection (key WMODE)
    std::string FileName;       // data file name without folder; "" = none
    std::int32_t NumBytes = 0;  // bytes to transfer; 0 = all
    // Working serial parameters.
    std::int32_t Speed = 0;
    std::int32_t DataBits = 0;
    std::int32_t Parity = 0;
    std::int32_t StopBits = 0;
    std::int32_t Handling = 0;
    std::vector<std::uint8_t> Data; // block handed over after the last run
    std::int32_t Reached = -1;      // bytes reached by the last run; -1 = none
    std::string SavedFileName;      // as read from the test file
    SSerialParams SavedSerial;      // as read from the test file
    bool Error = false;             // the last run reported an error

    std::int32_t DataSize() const { return static_cast<std::int32_t>(Data.size()); }
    std::int32_t Direction() const { return Mode; }
    SSerialParams Serial() const { return {Speed, DataBits, Parity, StopBits, Handling}; }
    void SetSerial(const SSerialParams &params);
};

// TypeName gives the tag of the Mode, "S" for a Mode outside 0..2.
class TFuncS : public DataFuncList<SFuncS>
{
public:
    TFuncS()
        : DataFuncList("TFuncS", "S")
    {}

    // Reads the sections prefix + 1..16 that exist. An interface without
    // serial parameters shows "Unknown type - TFuncS::LoadFromFile" and
    // keeps the function. A malformed value is reported and read as its
    // default.
    void LoadFromFile(const IniStore &ini, std::string_view prefix);
    // One section per record in list order (working or saved values as for
    // F-functions); an interface without serial parameters shows "Unknown
    // type - TFuncS::SaveToFile" and writes no serial keys.
    void SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const;
};

// After a run: a function that read from the device (Mode other than 1)
// and covered every byte it asked for hands its block to the data file.
bool RunBlockGoesToFile(const SFuncS &function);

} // namespace qv
