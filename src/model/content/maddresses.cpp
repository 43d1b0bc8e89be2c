#include "model/content/maddresses.h"

#include "infra/helpers.h"
#include "model/content/tablecontent.h"
#include "model/content/textgrid.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace qv {
namespace {

struct AddressSide
{
    std::int32_t lowWord = 0;
    std::int32_t highWord = 0; // 0 = the address has one word
    std::int64_t address = 0;
    std::string_view name; // "записи", "чтения"
};

std::array<AddressSide, 2> SidesOf(const SFuncM &function)
{
    return {AddressSide{function.AdrWrite, function.AdrWrite2, function.WritePos, "записи"},
            AddressSide{function.AdrRead, function.AdrRead2, function.ReadPos, "чтения"}};
}

std::uint64_t LowBits(std::int64_t value, int width)
{
    const auto mask = static_cast<std::uint64_t>(Math(2, width, 0)) - 1;
    return static_cast<std::uint64_t>(value) & mask;
}

// The first table row whose input name is the word "i<id>".
int RowOfInputWord(const TextGrid &table, int id)
{
    std::string token("i");
    token += std::to_string(id);
    for (int row = 1; row < table.RowCount(); ++row) {
        const std::string &name = table.Cell(ColInputName, row);
        if (name.compare(0, token.size(), token) == 0 &&
            (name.size() == token.size() || name[token.size()] == ' '))
            return row;
    }
    return -1;
}

// The M-functions of the list, each once, in list order.
std::vector<const SFuncM *> ListedFunctions(const STest &test, const std::string &mList)
{
    std::vector<const SFuncM *> functions;
    for (const char id : mList) {
        const SFuncM *function = test.MFuncs.ByNumber(static_cast<unsigned char>(id));
        if (function && std::find(functions.begin(), functions.end(), function) == functions.end())
            functions.push_back(function);
    }
    return functions;
}

} // namespace

std::string CollectMList(const TTimeArray &tacts)
{
    std::string list;
    for (std::size_t t = 0; t < tacts.D1.size() && t < tacts.D2.size(); ++t) {
        if (tacts.D1[t] != 'M')
            continue;
        const int id = WD_HexToInt(std::string_view(&tacts.D2[t], 1));
        if (id >= 0)
            list.push_back(static_cast<char>(id));
    }
    return list;
}

void WriteMAddressWords(STest &test, const std::string &mList, const TTyreAdr &tyres, int cycle)
{
    for (const SFuncM *function : ListedFunctions(test, mList)) {
        for (const AddressSide &side : SidesOf(*function)) {
            if (!test.IWords.Find(side.lowWord))
                continue;
            const int width = test.IWords.BusWidth(side.lowWord, tyres);
            test.IWords.SetValueAt(side.lowWord, cycle,
                                   static_cast<std::int32_t>(LowBits(side.address, width)),
                                   ValueSet::Run);
            if (side.highWord != 0 && test.IWords.Find(side.highWord))
                test.IWords.SetValueAt(
                    side.highWord, cycle,
                    static_cast<std::int32_t>(static_cast<std::uint64_t>(side.address) >> width),
                    ValueSet::Run);
        }
    }
}

void AddMAddressNotes(TextGrid &table, const STest &test, const std::string &mList, int base)
{
    for (const SFuncM *function : ListedFunctions(test, mList)) {
        for (const AddressSide &side : SidesOf(*function)) {
            const std::array<std::pair<std::int32_t, std::string_view>, 2> words{
                {{side.lowWord, "младший"}, {side.highWord, "старший"}}};
            for (const auto &[word, part] : words) {
                if (word == 0)
                    continue;
                const int row = RowOfInputWord(table, word);
                if (row < 0)
                    continue;
                const std::string note = std::string(part) + " адрес " + std::string(side.name) +
                                         " M" + std::to_string(function->Number) + ": [" +
                                         NumberInBase(side.address, base) + "]";
                std::string name = table.Cell(ColInputName, row);
                name += name.find(kNoteSeparator) == std::string::npos
                            ? std::string(1, kNoteSeparator)
                            : std::string("; ");
                table.SetCell(ColInputName, row, name + note);
            }
        }
    }
}

std::optional<MAddressSide> MAddressSideOfWord(const STest &test, const std::string &mList,
                                               int word, const TTyreAdr &tyres)
{
    for (const SFuncM *function : ListedFunctions(test, mList)) {
        const auto sides = SidesOf(*function);
        for (std::size_t i = 0; i < sides.size(); ++i) {
            const AddressSide &side = sides[i];
            if (word == 0 || (side.lowWord != word && side.highWord != word))
                continue;
            MAddressSide found;
            found.function = function->Number;
            found.write = i == 0;
            found.lowWord = side.lowWord;
            found.highWord = side.highWord;
            found.lowWidth = test.IWords.BusWidth(side.lowWord, tyres);
            found.highWidth = side.highWord != 0 ? test.IWords.BusWidth(side.highWord, tyres) : 0;
            found.address = side.address;
            found.maximum = Math(2, found.lowWidth + found.highWidth, 0) - 1;
            return found;
        }
    }
    return std::nullopt;
}

bool SetMAddress(STest &test, const MAddressSide &side, std::int64_t address)
{
    SFuncM *function = test.MFuncs.ByNumber(side.function);
    if (function == nullptr || address < 0 || address > side.maximum)
        return false;
    (side.write ? function->WritePos : function->ReadPos) = address;
    return true;
}

} // namespace qv
