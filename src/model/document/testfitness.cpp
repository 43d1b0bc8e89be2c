#include "model/document/testfitness.h"

#include "model/document/stest.h"
#include "model/file/filepaths.h"
#include "model/file/sectionvalues.h"
#include "model/functions/funcwordref.h"

#include <set>

namespace qv {
namespace {

constexpr std::string_view kDiagram = "DIAGRAMM";

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
        if (GKindOf(word) == GKind::Undefined)
            out.push_back(ValueProblemText(
                NumberedName("GWORDS", word.Id), "CODE", std::to_string(word.Code),
                "вместе с TYRE=" + std::to_string(word.Tyre) + " не задаёт вид g-слова"));
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

// Names the file-name window asks for are not checked here.
void CheckFileName(const std::string &section, const std::string &name,
                   std::vector<std::string> &out)
{
    if (name.empty() || name == "*" || name == "<не задано>" || DataFileNameInFolder(name))
        return;
    out.push_back(
        ValueProblemText(section, "FILE", name, "не является именем файла в папке файла тестов"));
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

void CheckFunctions(const STest &test, std::vector<std::string> &out)
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
        CheckFileName(section, f->FileName, out);
    }
    for (const int n : ItemsOf(test.Tacts, "P")) {
        const SProg *p = test.PFuncs.ByNumber(n);
        if (!p)
            continue;
        const std::string section = NumberedName("PFUNCS", n);
        CheckKind(section, "ADRW", p->AdrWriteKind, p->AdrWrite, out);
        CheckKind(section, "ADRR", p->AdrReadKind, p->AdrRead, out);
        CheckRange(section, p->AdrStart, p->AdrEnd, p->AdrInc, out);
        CheckFileName(section, p->FileName, out);
    }
    for (const int n : ItemsOf(test.Tacts, "S")) {
        if (const SFuncS *s = test.SFuncs.ByNumber(n))
            CheckFileName(NumberedName("SFUNCS", n), s->FileName, out);
    }
}

} // namespace

std::vector<std::string> RunBlockers(const STest &test)
{
    std::vector<std::string> out;
    CheckDiagram(test.Tacts, out);
    CheckItems(test, out);
    for (const int id : ItemsOf(test.Tacts, "i"))
        CheckValues(test.IWords, id, test.Cycles, out);
    for (const int id : ItemsOf(test.Tacts, "oO"))
        CheckValues(test.OWords, id, test.Cycles, out);
    CheckGeneratorWords(test, out);
    CheckFunctions(test, out);
    return out;
}

} // namespace qv
