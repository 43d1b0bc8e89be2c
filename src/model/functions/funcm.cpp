#include "model/functions/funcm.h"

#include "model/core/records.h"
#include "model/functions/funcf.h"
#include "model/functions/funcwordref.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/words/words.h"

namespace qv {
namespace {

constexpr std::array<std::string_view, kMemoryAlgorithms> kAlgorithmNames = {
    "Тест буферов", "Тест адреса", "Марш-тест", "Шахматный тест", "Бегущий ноль", "Бегущая единица",
};

void LinkMWords(const WordLinkFn &linkWord, const SFuncM &record)
{
    if (!linkWord)
        return;
    const std::int32_t low = MakeFuncLink(record.Number, LinkMAddress);
    const std::int32_t high = MakeFuncLink(record.Number, LinkMHighAddress);
    linkWord('i', record.AdrWrite, low);
    linkWord('i', record.AdrRead, low);
    if (record.AdrWrite2 != 0)
        linkWord('i', record.AdrWrite2, high);
    if (record.AdrRead2 != 0)
        linkWord('i', record.AdrRead2, high);
}

} // namespace

std::string_view MemoryAlgorithmName(int bit)
{
    if (bit < 0 || bit >= kMemoryAlgorithms)
        return {};
    return kAlgorithmNames[static_cast<std::size_t>(bit)];
}

void TFuncM::LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord)
{
    ForEachFileSection(ini, prefix, [&](int n, const std::string &section) {
        SFuncM record;
        record.Name = ini.ReadString(section, "NAME", "");
        record.AdrStart = ReadIntStrict(ini, section, "ADRSTART", 0);
        record.AdrEnd = ReadIntStrict(ini, section, "ADREND", 0);
        record.AdrInc = ReadIntStrict(ini, section, "ADRINC", 0);
        record.Alg = ReadIntStrict(ini, section, "ALG", 0);
        record.AdrWrite = ReadWordRefRequired(ini, section, "ADRW").number;
        record.AdrWrite2 = ReadWordRefOptional(ini, section, "ADRW2").number;
        record.DatWrite = ReadIntStrict(ini, section, "DATW", 0);
        record.AdrRead = ReadWordRefRequired(ini, section, "ADRR").number;
        record.AdrRead2 = ReadWordRefOptional(ini, section, "ADRR2").number;
        record.DatRead = ReadIntStrict(ini, section, "DATR", 0);
        record.SavedStart = record.AdrStart;
        record.SavedEnd = record.AdrEnd;
        record.SavedInc = record.AdrInc;
        record.SavedAlg = record.Alg;
        record.WritePos = record.AdrStart;
        record.ReadPos = record.AdrStart;
        record.Number = n;
        Replace(record);
        LinkMWords(linkWord, record);
    });
}

void TFuncM::SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const
{
    const bool working = WritesFuncData(param);
    // The file keeps 32-bit addresses: the low half, read back with its sign.
    const auto low32 = [](std::int64_t value) { return static_cast<std::int32_t>(value); };
    for (const SFuncM &record : m_records) {
        const std::string section = NumberedName(prefix, record.Number);
        ini.WriteString(section, "NAME", record.Name);
        ini.WriteInteger(section, "ADRSTART", low32(working ? record.AdrStart : record.SavedStart));
        ini.WriteInteger(section, "ADREND", low32(working ? record.AdrEnd : record.SavedEnd));
        ini.WriteInteger(section, "ADRINC", working ? record.AdrInc : record.SavedInc);
        ini.WriteInteger(section, "ALG", working ? record.Alg : record.SavedAlg);
        ini.WriteString(section, "ADRW", WordRefText('i', record.AdrWrite));
        if (record.AdrWrite2 != 0)
            ini.WriteString(section, "ADRW2", WordRefText('i', record.AdrWrite2));
        ini.WriteInteger(section, "DATW", record.DatWrite);
        ini.WriteString(section, "ADRR", WordRefText('i', record.AdrRead));
        if (record.AdrRead2 != 0)
            ini.WriteString(section, "ADRR2", WordRefText('i', record.AdrRead2));
        ini.WriteInteger(section, "DATR", record.DatRead);
    }
}

void TFuncM::ResetRunResults()
{
    for (SFuncM &record : m_records) {
        record.Error = false;
        record.Status.fill(kAlgorithmNotRun);
        record.WritePos = record.AdrStart;
        record.ReadPos = record.AdrStart;
    }
}

void TFuncM::RestoreSavedRanges()
{
    for (SFuncM &record : m_records) {
        record.AdrStart = record.SavedStart;
        record.AdrEnd = record.SavedEnd;
        record.WritePos = record.AdrStart;
        record.ReadPos = record.AdrStart;
    }
}

} // namespace qv
