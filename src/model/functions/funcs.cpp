#include "model/functions/funcs.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/core/records.h"
#include "model/functions/funcf.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"

namespace qv {
namespace {

constexpr std::array<std::string_view, 4> kInterfaceNames = {"RS232", "ИРПС", "I2C", "RS485"};
constexpr std::array<std::string_view, 5> kParityNames = {"откл", "чет", "нечет", "Пробел (0)",
                                                          "Маркер (1)"};
constexpr std::array<std::string_view, 3> kFlowNames = {"нет", "CTS/RTS", "XON/XOFF"};

template <std::size_t N>
std::string_view NameAt(const std::array<std::string_view, N> &names, std::int32_t index)
{
    if (index < 0 || index >= static_cast<std::int32_t>(N))
        return {};
    return names[static_cast<std::size_t>(index)];
}

void ShowUnknownInterface(std::string_view where)
{
    Mesbo().Show("Unknown type - TFuncS::" + std::string(where), MbError, kProductName);
}

} // namespace

std::string_view SerialInterfaceName(std::int32_t iface)
{
    return NameAt(kInterfaceNames, iface);
}

bool HasSerialParameters(std::int32_t iface)
{
    return iface == IfaceRs232 || iface == IfaceIrps;
}

std::string_view ParityName(std::int32_t index)
{
    return NameAt(kParityNames, index);
}

std::string_view FlowControlName(std::int32_t index)
{
    return NameAt(kFlowNames, index);
}

bool RunBlockGoesToFile(const SFuncS &function)
{
    return function.Mode != DirReadFile &&
           (function.NumBytes == 0 || function.Reached >= function.NumBytes);
}

void SFuncS::SetSerial(const SSerialParams &params)
{
    Speed = params.Speed;
    DataBits = params.DataBits;
    Parity = params.Parity;
    StopBits = params.StopBits;
    Handling = params.Handling;
}

void TFuncS::LoadFromFile(const IniStore &ini, std::string_view prefix)
{
    ForEachFileSection(ini, prefix, [&](int n, const std::string &section) {
        SFuncS record = *ByNumber(n);
        record.Name = ini.ReadString(section, "NAME", "");
        record.Mode = ReadIntStrict(ini, section, "WMODE", 0);
        record.Interface = ReadIntStrict(ini, section, "TYPE", 0);
        record.FileName = ini.ReadString(section, "FILE", "0");
        record.NumBytes = ReadIntStrict(ini, section, "NBYTES", 1);
        if (HasSerialParameters(record.Interface)) {
            record.Speed = ReadIntStrict(ini, section, "SPEED", 19200);
            record.DataBits = ReadIntStrict(ini, section, "BITDATA", 8);
            record.Parity = ReadIntStrict(ini, section, "PARITY", 0);
            record.StopBits = ReadIntStrict(ini, section, "STOPBIT", 1);
            record.Handling = ReadIntStrict(ini, section, "HANDLING", 0);
            record.SavedSerial = record.Serial();
        } else {
            ShowUnknownInterface("LoadFromFile");
        }
        record.SavedFileName = record.FileName;
        record.Number = n;
        record.Data.clear();
        record.Reached = -1;
        record.Error = false;
        Replace(record);
    });
}

void TFuncS::SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const
{
    const bool working = WritesFuncData(param);
    for (const SFuncS &record : m_records) {
        const std::string section = NumberedName(prefix, record.Number);
        ini.WriteString(section, "NAME", record.Name);
        ini.WriteInteger(section, "TYPE", record.Interface);
        ini.WriteInteger(section, "WMODE", record.Mode);
        ini.WriteInteger(section, "NBYTES", record.NumBytes);
        ini.WriteString(section, "FILE", working ? record.FileName : record.SavedFileName);
        if (!HasSerialParameters(record.Interface)) {
            ShowUnknownInterface("SaveToFile");
            continue;
        }
        const SSerialParams serial = working ? record.Serial() : record.SavedSerial;
        ini.WriteInteger(section, "SPEED", serial.Speed);
        ini.WriteInteger(section, "BITDATA", serial.DataBits);
        ini.WriteInteger(section, "PARITY", serial.Parity);
        ini.WriteInteger(section, "STOPBIT", serial.StopBits);
        ini.WriteInteger(section, "HANDLING", serial.Handling);
    }
}

} // namespace qv
