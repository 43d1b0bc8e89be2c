#include "model/test/testfitness.h"

#include "infra/helpers.h"
#include "model/functions/funcwordref.h"
#include "model/ini/sectionvalues.h"
#include "model/io/filepaths.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"
#include "model/words/wordvalues.h"

#include <filesystem>
#include <set>

namespace qv {
namespace {

constexpr std::string_view kDiagram = "DIAGRAMM";
constexpr std::string_view kMain = "MAIN";
constexpr int kMaxBusContact = 192;

bool IsPhase(char c)
{
    return c == 'C' || c == 'R' || c == 'W';
}

bool IsGCycleEnd(char c)
{
    return c == 'E' || c == 'L' || c == 'N';
}

std::string LetterShown(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F)
        return "с кодом " + std::to_string(byte);
    return std::string{'"', c, '"'};
}

// The first column (after the first, which never runs anything) the image
// has no code for; empty when every column has one.
std::string DiagramLetterProblem(const std::string &d1)
{
    bool blockSeen = false;
    bool gCycleSeen = false;
    for (std::size_t i = 1; i < d1.size(); ++i) {
        const char c = d1[i];
        const std::string at = " в такте " + std::to_string(i + 1);
        if (IsPhase(c) && !blockSeen)
            return "содержит букву " + LetterShown(c) + " без F-, M- или P-такта перед ней" + at;
        if (IsGCycleEnd(c) && !gCycleSeen)
            return "содержит букву " + LetterShown(c) + " без G-такта перед ней" + at;
        if (c != '-' && !IsDiagramItemLetter(c) && !IsPhase(c) && !IsGCycleEnd(c))
            return "содержит недопустимую букву " + LetterShown(c) + at;
        blockSeen = blockSeen || c == 'F' || c == 'M' || c == 'P';
        gCycleSeen = gCycleSeen || c == 'G';
    }
    return {};
}

void CheckDiagram(const TTimeArray &tacts, std::vector<std::string> &out)
{
    if (tacts.TactCount() > kMaxImageCount) {
        out.push_back(
            ValueProblemText(kDiagram, "D1", tacts.D1,
                             "задаёт больше " + std::to_string(kMaxImageCount) + " тактов"));
    } else if (const std::string problem = DiagramLetterProblem(tacts.D1); !problem.empty()) {
        out.push_back(ValueProblemText(kDiagram, "D1", tacts.D1, problem));
    }
    if (tacts.Count() > kMaxImageCount)
        out.push_back(ValueProblemText(kDiagram, std::to_string(kMaxImageCount + 1), "",
                                       "лишняя: строк больше " + std::to_string(kMaxImageCount)));
    // A level the image has no meaning for would be sent as low silently.
    constexpr std::string_view kLevels = "-_x+";
    const auto &lines = tacts.Lines();
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const std::string &levels = lines[l].Levels;
        const std::size_t bad = levels.find_first_not_of(kLevels);
        if (bad == std::string::npos)
            continue;
        out.push_back(ValueProblemText(kDiagram, std::to_string(l + 1), levels,
                                       "содержит недопустимый уровень " + LetterShown(levels[bad]) +
                                           " в такте " + std::to_string(bad + 1)));
        return;
    }
}

bool ItemExists(const STest &test, char letter, int n)
{
    switch (letter) {
    case 'i':
        return test.IWords.Find(n) != nullptr;
    case 'o':
    case 'O':
        return test.OWords.Find(n) != nullptr;
    case 'g':
    case 'G':
        return test.GWords.Find(n) != nullptr;
    case 'F':
        return test.FFuncs.ByNumber(n) != nullptr;
    case 'M':
        return test.MFuncs.ByNumber(n) != nullptr;
    case 'P':
        return test.PFuncs.ByNumber(n) != nullptr;
    case 'S':
        return test.SFuncs.ByNumber(n) != nullptr;
    default:
        return true; // a T column calls a test of the file, or nothing
    }
}

// The first item column whose D2 character names nothing the test has.
void CheckItems(const STest &test, std::vector<std::string> &out)
{
    const TTimeArray &tacts = test.Tacts;
    for (int i = 1; i < tacts.TactCount(); ++i) {
        const char letter = tacts.D1[static_cast<std::size_t>(i)];
        if (!IsDiagramItemLetter(letter))
            continue;
        const int item = tacts.ItemAt(i);
        const std::string at = " в такте " + std::to_string(i + 1);
        if (item < 0) {
            out.push_back(
                ValueProblemText(kDiagram, "D2", tacts.D2, "не задаёт номер элемента" + at));
            return;
        }
        if (!ItemExists(test, letter, item)) {
            out.push_back(ValueProblemText(kDiagram, "D2", tacts.D2,
                                           "называет несуществующий элемент " +
                                               std::string(1, letter) + std::to_string(item) + at));
            return;
        }
    }
}

// The item numbers of the columns with that letter, each once.
std::set<int> ItemsOf(const TTimeArray &tacts, std::string_view letters)
{
    std::set<int> items;
    for (int i = 1; i < tacts.TactCount(); ++i) {
        if (letters.find(tacts.D1[static_cast<std::size_t>(i)]) != std::string_view::npos)
            items.insert(tacts.ItemAt(i));
    }
    return items;
}

// A word the image sends needs a value for every cycle (a constant word one
// value): the unit must not run with made-up ones.
void CheckValues(const TWord &list, int id, int cycles, std::vector<std::string> &out)
{
    const SWord *word = list.Find(id);
    if (!word)
        return; // the compiler names a missing item itself
    const int have = list.ValueCount(id);
    const int need = word->IsConstant() ? std::min(cycles, 1) : cycles;
    if (have >= need)
        return;
    out.push_back(ValueProblemText(NumberedName(list.SectionStem(), id), "DATA", word->Data,
                                   "задаёт значений меньше, чем циклов в тесте (" +
                                       std::to_string(have) + " из " + std::to_string(need) + ")"));
}

void CheckGeneratorWords(const STest &test, std::vector<std::string> &out)
{
    for (const SWord &word : test.GWords.Words()) {
        const GKind kind = GKindOf(word);
        if (kind == GKind::Undefined)
            out.push_back(ValueProblemText(
                NumberedName("GWORDS", word.Id), "CODE", std::to_string(word.Code),
                "вместе с TYRE=" + std::to_string(word.Tyre) + " не задаёт вид g-слова"));
        else if ((kind == GKind::Pulse || kind == GKind::Frequency) &&
                 (word.Code < 0 || word.Code > kMaxBusContact))
            out.push_back(ValueProblemText(NumberedName("GWORDS", word.Id), "CODE",
                                           std::to_string(word.Code),
                                           "не является номером контакта адаптера генератора"));
        else if (!InGGroup(word, GGroup::Cycle))
            CheckValues(test.GWords, word.Id, test.Cycles, out);
    }
    for (const int id : ItemsOf(test.Tacts, "G")) {
        const SWord *word = test.GWords.Find(id);
        if (!word || GKindOf(*word) == GKind::Undefined)
            continue;
        if (!InGGroup(*word, GGroup::Cycle))
            out.push_back(ValueProblemText(NumberedName("GWORDS", id), "CODE",
                                           std::to_string(word->Code),
                                           "не задаёт G-цикл, а диаграмма открывает им G-цикл"));
        else
            CheckValues(test.GWords, id, test.Cycles, out);
    }
}

// A test without cycles runs nothing and would pass; a start tact beyond the
// diagram starts the repeated cycles nowhere.
void CheckMain(const STest &test, std::vector<std::string> &out)
{
    const int tacts = test.Tacts.TactCount();
    if (tacts <= 1)
        return; // nothing to run either way
    if (test.Cycles < 1)
        out.push_back(ValueProblemText(kMain, "CYCLE", std::to_string(test.Cycles),
                                       "не задаёт ни одного цикла"));
    if (test.StartTact >= tacts)
        out.push_back(ValueProblemText(
            kMain, "START", std::to_string(test.StartTact),
            "лежит за пределами диаграммы (тактов: " + std::to_string(tacts) + ")"));
}

// The bus of a word the image sends: it must exist, name each contact of
// the adapter once, and hold every value the word takes.
void CheckBusAndValues(const TWord &list, int id, const TTyreAdr &tyres,
                       std::vector<std::string> &out)
{
    const SWord *word = list.Find(id);
    if (!word)
        return;
    const std::string section = NumberedName(list.SectionStem(), id);
    const std::string tyre = std::to_string(word->Tyre);
    if (word->Tyre < 0 || word->Tyre >= tyres.Count()) {
        out.push_back(ValueProblemText(section, "TYRE", tyre, "не называет шину файла"));
        return;
    }
    const std::string definition = tyres.Definition(word->Tyre);
    std::set<int> seen;
    for (const char c : definition) {
        const int contact = static_cast<unsigned char>(c);
        if (contact < 1 || contact > kMaxBusContact) {
            out.push_back(ValueProblemText(section, "TYRE", tyre,
                                           "называет шину с контактом " + std::to_string(contact) +
                                               " вне контактов адаптера (1.." +
                                               std::to_string(kMaxBusContact) + ")"));
            return;
        }
        if (!seen.insert(contact).second) {
            out.push_back(ValueProblemText(section, "TYRE", tyre,
                                           "называет шину, где контакт " + std::to_string(contact) +
                                               " стоит дважды"));
            return;
        }
    }
    const int width = static_cast<int>(definition.size());
    if (width < 1 || width > 16)
        return; // the image cuts a value to 16 bits; an empty bus drives nothing
    const std::int64_t largest = (std::int64_t{1} << width) - 1;
    const int values = list.ValueCount(id);
    for (int cycle = 0; cycle < values; ++cycle) {
        const auto value = list.ValueAt(id, cycle, ValueSet::Reference);
        if (value && (*value < 0 || *value > largest)) {
            out.push_back(ValueProblemText(section, "DATA", word->Data,
                                           "содержит значение " + std::to_string(*value) +
                                               ", которое не помещается в шину шириной " +
                                               std::to_string(width) + " бит"));
            return;
        }
    }
}

// A V-function takes its waveform at a tact of the diagram.
void CheckVFunctions(const STest &test, std::vector<std::string> &out)
{
    const int tacts = test.Tacts.TactCount();
    for (const SFuncV &v : test.VFuncs.Records()) {
        if (v.Tact < 0 || (tacts > 0 && v.Tact >= tacts))
            out.push_back(ValueProblemText(
                NumberedName("VFUNCS", v.Number), "TACT", std::to_string(v.Tact),
                "лежит за пределами диаграммы (тактов: " + std::to_string(tacts) + ")"));
    }
}

// Names the file-name window asks for are not checked here.
void CheckFileName(const std::string &section, const std::string &name,
                   const std::vector<std::string> &reserved, std::vector<std::string> &out)
{
    if (name.empty() || name == "*" || name == "<не задано>")
        return;
    const auto inFolder = DataFileNameInFolder(name);
    if (!inFolder) {
        out.push_back(ValueProblemText(section, "FILE", name,
                                       "не является именем файла в папке файла тестов"));
        return;
    }
    for (const std::string &companion : reserved) {
        if (SameTextNoCase(*inFolder, companion)) {
            out.push_back(ValueProblemText(section, "FILE", name,
                                           "совпадает с именем файла тестов или его "
                                           "сопутствующего файла"));
            return;
        }
    }
}

// The unit reports the address an F-function reached in three bytes and
// takes a P-function's range in three; the increment travels in two.
void CheckRange(const std::string &section, std::int32_t start, std::int32_t end, std::int32_t inc,
                std::vector<std::string> &out)
{
    constexpr std::int32_t kMaxAddress = 0xFFFFFF;
    const auto check = [&](std::string_view key, std::int32_t value, std::int32_t high) {
        if (value < 0 || value > high)
            out.push_back(ValueProblemText(section, key, std::to_string(value),
                                           "вне адресов, которые передаёт блок диагностики (0.." +
                                               std::to_string(high) + ")"));
    };
    check("ADRSTART", start, kMaxAddress);
    check("ADREND", end, kMaxAddress);
    check("ADRINC", inc, 0xFFFF);
}

void CheckKind(const std::string &section, std::string_view key, char kind, int number,
               std::vector<std::string> &out)
{
    if (kind == 'i' || kind == 'o' || kind == 'g' || kind == ' ')
        return; // ' ': a malformed reference, reported as read
    out.push_back(ValueProblemText(section, key, WordRefText(kind, number),
                                   "не является ссылкой на i-, o- или g-слово"));
}

void CheckFunctions(const STest &test, const std::vector<std::string> &reserved,
                    std::vector<std::string> &out)
{
    for (const int n : ItemsOf(test.Tacts, "F")) {
        const SFuncF *f = test.FFuncs.ByNumber(n);
        if (!f)
            continue;
        const std::string section = NumberedName("FFUNCS", n);
        if (f->Type < DirWriteFile || f->Type > DirCompareFile)
            out.push_back(ValueProblemText(section, "TYPE", std::to_string(f->Type),
                                           "не является типом F-функции (0, 1 или 2)"));
        if (!DecodeWordCode(f->AdrWord))
            out.push_back(ValueProblemText(section, "ADRW", std::to_string(f->AdrWord),
                                           "не является кодом слова"));
        if (!DecodeWordCode(f->DatWord))
            out.push_back(ValueProblemText(section, "DATW", std::to_string(f->DatWord),
                                           "не является кодом слова"));
        CheckRange(section, f->AdrStart, f->AdrEnd, f->AdrInc, out);
        CheckFileName(section, f->FileName, reserved, out);
    }
    for (const int n : ItemsOf(test.Tacts, "P")) {
        const SProg *p = test.PFuncs.ByNumber(n);
        if (!p)
            continue;
        const std::string section = NumberedName("PFUNCS", n);
        CheckKind(section, "ADRW", p->AdrWriteKind, p->AdrWrite, out);
        CheckKind(section, "ADRR", p->AdrReadKind, p->AdrRead, out);
        CheckRange(section, p->AdrStart, p->AdrEnd, p->AdrInc, out);
        CheckFileName(section, p->FileName, reserved, out);
    }
    for (const int n : ItemsOf(test.Tacts, "S")) {
        if (const SFuncS *s = test.SFuncs.ByNumber(n))
            CheckFileName(NumberedName("SFUNCS", n), s->FileName, reserved, out);
    }
}

} // namespace

std::vector<std::string> CompanionFileNames(const std::string &testFilePath,
                                            const std::string &contactFilePath)
{
    if (testFilePath.empty())
        return {};
    const std::filesystem::path path(testFilePath);
    std::vector<std::string> names{path.filename().string()};
    for (const char *ext : {".CNT", ".TXT", ".sco"})
        names.push_back(SetExt(path, ext).filename().string());
    if (!contactFilePath.empty())
        names.push_back(std::filesystem::path(contactFilePath).filename().string());
    return names;
}

std::vector<std::string> RunBlockers(const STest &test, const FileFacts &file)
{
    std::vector<std::string> out;
    CheckMain(test, out);
    CheckDiagram(test.Tacts, out);
    CheckItems(test, out);
    for (const int id : ItemsOf(test.Tacts, "i")) {
        CheckValues(test.IWords, id, test.Cycles, out);
        if (file.tyres)
            CheckBusAndValues(test.IWords, id, *file.tyres, out);
    }
    for (const int id : ItemsOf(test.Tacts, "oO")) {
        CheckValues(test.OWords, id, test.Cycles, out);
        if (file.tyres)
            CheckBusAndValues(test.OWords, id, *file.tyres, out);
    }
    CheckGeneratorWords(test, out);
    CheckFunctions(test, file.reservedNames, out);
    CheckVFunctions(test, out);
    return out;
}

} // namespace qv
