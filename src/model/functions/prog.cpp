#include "model/functions/prog.h"

#include "model/core/records.h"
#include "model/functions/funcf.h"
#include "model/functions/funcwordref.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/words/words.h"

#include <array>

namespace qv {
namespace {

constexpr std::array kAlgorithms = {
    SProgAlgorithmInfo{"Стандартный", false, 0, 0},
    SProgAlgorithmInfo{"EPROM", true, 10, 50},
    SProgAlgorithmInfo{"PROM 0", true, 3, 20},
    SProgAlgorithmInfo{"PROM 1", true, 3, 20},
};

} // namespace

const SProgAlgorithmInfo *ProgAlgorithmInfo(int alg)
{
    if (alg < 0 || alg >= static_cast<int>(kAlgorithms.size()))
        return nullptr;
    return &kAlgorithms[static_cast<std::size_t>(alg)];
}

void TProg::LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord)
{
    ForEachFileSection(ini, prefix, [&](int n, const std::string &section) {
        SProg record;
        record.Name = ini.ReadString(section, "NAME", "");
        record.SavedFileName = ini.ReadString(section, "FILE", "");
        record.FileName = record.SavedFileName == "*" ? std::string() : record.SavedFileName;
        record.AdrStart = ReadIntStrict(ini, section, "ADRSTART", 0);
        record.AdrEnd = ReadIntStrict(ini, section, "ADREND", 0);
        record.AdrInc = ReadIntStrict(ini, section, "ADRINC", 0);
        record.Alg = static_cast<std::uint8_t>(ReadIntStrict(ini, section, "ALG", 0));
        const WordRef write = ReadWordRefRequired(ini, section, "ADRW");
        record.AdrWriteKind = write.kind;
        record.AdrWrite = write.number;
        const WordRef read = ReadWordRefRequired(ini, section, "ADRR");
        record.AdrReadKind = read.kind;
        record.AdrRead = read.number;
        record.DatWrite = ReadIntStrict(ini, section, "DATW", 0);
        record.DatRead = ReadIntStrict(ini, section, "DATR", 0);
        record.Cycles = ReadIntStrict(ini, section, "PARAM0", 0);
        record.Param = ReadIntStrict(ini, section, "PARAM1", 0);
        record.SavedStart = record.AdrStart;
        record.SavedEnd = record.AdrEnd;
        record.SavedInc = record.AdrInc;
        record.SavedCycles = record.Cycles;
        record.SavedParam = record.Param;
        record.Number = n;
        Replace(record);
        if (!linkWord)
            return;
        if (record.Alg == ProgProm0)
            linkWord('i', record.DatWrite, LinkPData);
        else if (record.Alg == ProgProm1)
            linkWord('i', record.DatWrite, LinkPData2);
    });
}

void TProg::SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const
{
    const bool working = WritesFuncData(param);
    for (const SProg &record : m_records) {
        const std::string section = NumberedName(prefix, record.Number);
        ini.WriteString(section, "NAME", record.Name);
        ini.WriteString(section, "FILE", working ? record.FileName : record.SavedFileName);
        ini.WriteInteger(section, "ADRSTART", working ? record.AdrStart : record.SavedStart);
        ini.WriteInteger(section, "ADREND", working ? record.AdrEnd : record.SavedEnd);
        ini.WriteInteger(section, "ADRINC", working ? record.AdrInc : record.SavedInc);
        ini.WriteInteger(section, "PARAM0", working ? record.Cycles : record.SavedCycles);
        ini.WriteInteger(section, "PARAM1", working ? record.Param : record.SavedParam);
        ini.WriteInteger(section, "ALG", record.Alg);
        ini.WriteString(section, "ADRW", WordRefText(record.AdrWriteKind, record.AdrWrite));
        ini.WriteInteger(section, "DATW", record.DatWrite);
        ini.WriteString(section, "ADRR", WordRefText(record.AdrReadKind, record.AdrRead));
        ini.WriteInteger(section, "DATR", record.DatRead);
    }
}

void TProg::ResetRunResults()
{
    for (SProg &record : m_records) {
        record.Error = false;
        record.Status = kProgNotRun;
    }
}

} // namespace qv
