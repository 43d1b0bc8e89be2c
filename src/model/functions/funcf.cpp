#include "model/functions/funcf.h"

#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/io/filepaths.h"
#include "model/words/words.h"

#include <algorithm>

namespace qv {

bool WritesFuncData(const SSaveParam *param)
{
    return param && (param->Kinds & SSaveParam::KindFuncData) != 0;
}

int DataElementSize(int dataBusWidth)
{
    return dataBusWidth <= 8 ? 1 : (dataBusWidth + 7) / 8;
}

std::optional<std::uint32_t> DataElementAt(std::span<const std::uint8_t> data, std::size_t index,
                                           int elementSize)
{
    const auto size = static_cast<std::size_t>(std::clamp(elementSize, 1, 4));
    if (index >= data.size() / size)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(data[index * size + i]) << (8 * i);
    return value;
}

std::int64_t DataElementOffset(const SFuncF &function, std::int64_t address, int elementSize)
{
    if (address < function.AdrStart)
        return -1;
    return (address - function.AdrStart) * elementSize;
}

std::filesystem::path DataFilePath(const std::filesystem::path &testFilePath,
                                   std::string_view fileName)
{
    const auto name = DataFileNameInFolder(fileName);
    if (!name)
        return {};
    return testFilePath.parent_path() / std::filesystem::u8path(*name);
}

bool RunBlockGoesToFile(const SFuncF &function)
{
    return function.Type == DirWriteFile && function.Reached >= function.AdrEnd;
}

void TFuncF::LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord)
{
    ForEachFileSection(ini, prefix, [&](int n, const std::string &section) {
        SFuncF record;
        record.Name = ini.ReadString(section, "NAME", "");
        record.Type = ReadIntStrict(ini, section, "TYPE", 0);
        record.FileName = ini.ReadString(section, "FILE", "");
        if (record.FileName == "*")
            record.FileName.clear();
        record.AdrStart = ReadIntStrict(ini, section, "ADRSTART", 0);
        record.AdrEnd = ReadIntStrict(ini, section, "ADREND", 0);
        record.AdrInc = ReadIntStrict(ini, section, "ADRINC", 0);
        record.AdrWord = ReadIntStrict(ini, section, "ADRW", 0);
        record.DatWord = ReadIntStrict(ini, section, "DATW", 0);
        record.SavedStart = record.AdrStart;
        record.SavedEnd = record.AdrEnd;
        record.SavedInc = record.AdrInc;
        record.SavedFileName = record.FileName;
        record.Number = n;
        Replace(record);
        if (const auto word = DecodeWordCode(record.AdrWord); word && linkWord)
            linkWord(word->kind, word->id, MakeFuncLink(n, LinkFAddress));
    });
}

void TFuncF::SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const
{
    const bool working = WritesFuncData(param);
    for (const SFuncF &record : m_records) {
        const std::string section = NumberedName(prefix, record.Number);
        ini.WriteString(section, "NAME", record.Name);
        ini.WriteInteger(section, "TYPE", record.Type);
        ini.WriteString(section, "FILE", working ? record.FileName : record.SavedFileName);
        ini.WriteInteger(section, "ADRSTART", working ? record.AdrStart : record.SavedStart);
        ini.WriteInteger(section, "ADREND", working ? record.AdrEnd : record.SavedEnd);
        ini.WriteInteger(section, "ADRINC", working ? record.AdrInc : record.SavedInc);
        ini.WriteInteger(section, "ADRW", record.AdrWord);
        ini.WriteInteger(section, "DATW", record.DatWord);
    }
}

} // namespace qv
