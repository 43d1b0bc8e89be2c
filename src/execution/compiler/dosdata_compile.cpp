// Writing the unit's program image.

#include "execution/compiler/datafilecheck.h"
#include "execution/compiler/dosdata.h"
#include "execution/compiler/imagebytes.h"
#include "infra/encoding.h"
#include "infra/safefile.h"
#include "model/core/modelfailure.h"
#include "model/document/quorvik.h"
#include "model/io/filepaths.h"
#include "model/test/stest.h"
#include "model/words/waitconversion.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <array>
#include <limits>

namespace qv {

namespace {

// Time-base values of the V-function sweep indexes.
constexpr std::array<std::uint16_t, 13> kTimeBase = {2,   2,   5,    10,   20,   50,   100,
                                                     200, 500, 1000, 2000, 5000, 10000};

std::uint16_t ChannelCode(int contact, bool dosUnit)
{
    if (!dosUnit)
        return static_cast<std::uint16_t>(contact);
    if (contact >= 0 && contact <= 95)
        return static_cast<std::uint16_t>(contact + 272);
    if (contact >= 96 && contact <= 191)
        return static_cast<std::uint16_t>(contact + 304);
    return 0;
}

// The value a word applies in cycle `cycle`: its run value, else its
// reference, a constant word's single value for every cycle. A constant's
// run text repeats its value per cycle, and in debug mode the value of the
// debugged cycle may have been changed there.
std::uint32_t AppliedValue(const TWord &list, const SWord &word, int cycle)
{
    if (auto v = list.ValueAt(word.Id, cycle, ValueSet::Run))
        return static_cast<std::uint32_t>(*v);
    const int at = word.IsConstant() ? 0 : cycle;
    if (auto v = list.ValueAt(word.Id, at, ValueSet::Run))
        return static_cast<std::uint32_t>(*v);
    if (auto v = list.ValueAt(word.Id, at, ValueSet::Reference))
        return static_cast<std::uint32_t>(*v);
    return 0;
}

std::uint32_t ReferenceValue(const TWord &list, const SWord &word, int cycle)
{
    const int at = word.IsConstant() ? 0 : cycle;
    if (auto v = list.ValueAt(word.Id, at, ValueSet::Reference))
        return static_cast<std::uint32_t>(*v);
    return 0;
}

// A diagram that names an item the test does not have.
class MissingItem : public std::runtime_error
{
public:
    MissingItem(int testIndex, std::string_view what, char kind, int id)
        : std::runtime_error("Тест №" + std::to_string(testIndex + 1) +
                             ": на диаграмме указано несуществующее " + std::string(what) + " " +
                             std::string(1, kind) + std::to_string(id))
    {}
};

} // namespace

std::uint16_t UnitChannelCode(int contact, bool dosUnit)
{
    return ChannelCode(contact, dosUnit);
}

class Dosdata::Compiler
{
public:
    Compiler(Dosdata &owner, ImageWriter &out)
        : m_d(owner)
        , m_out(out)
        , m_doc(owner.m_doc)
        , m_opt(owner.m_options)
    {}

    void Header(bool allTests)
    {
        m_out.U8(m_opt.Flags(allTests));
        if (m_opt.debug) {
            const STest &first = Test(m_d.m_runList.front());
            m_out.U8(static_cast<std::uint32_t>(first.ActiveCycle));
            m_out.U8(static_cast<std::uint32_t>(first.DebugFirst));
            m_out.U8(static_cast<std::uint32_t>(first.DebugLast));
        }
        const TTyreAdr &tyres = m_doc.Doc().Tyres;
        m_out.U8(static_cast<std::uint32_t>(tyres.Count()));
        for (int b = 0; b < tyres.Count(); ++b) {
            const std::string def = tyres.Definition(b);
            m_out.U8(static_cast<std::uint32_t>(def.size()));
            for (const char contact : def)
                m_out.U16(ChannelCode(static_cast<unsigned char>(contact) - 1, m_opt.dosUnit));
        }
        m_out.U8(static_cast<std::uint32_t>(m_d.m_runList.size()));
    }

    void TestSection(const TestRunLists &lists)
    {
        m_index = lists.test;
        STest &test = Test(m_index);
        m_out.U8(static_cast<std::uint32_t>(m_index));
        m_out.U8(static_cast<std::uint32_t>(test.StartTact));
        m_out.U8(static_cast<std::uint32_t>(test.Cycles));
        Control(test);
        InputWords(test, lists);
        OutputWords(test, lists);
        GeneratorWords(test);
        GCycleWords(test, lists);
        FFunctions(test, lists);
        MFunctions(test, lists);
        PFunctions(test, lists);
        VFunction(test);
    }

private:
    STest &Test(int index) { return *m_doc.Test(index); }

    void Control(const STest &test)
    {
        const TTimeArray &tacts = test.Tacts;
        m_out.U8(static_cast<std::uint32_t>(tacts.Count()));
        for (const TLine &line : tacts.Lines())
            m_out.U16(ChannelCode(line.Contact, m_opt.dosUnit));
        const int n = tacts.TactCount();
        m_out.U8(static_cast<std::uint32_t>(n));
        for (int i = 0; i < n; ++i) {
            const char letter = tacts.D1[static_cast<std::size_t>(i)];
            if (i == 0) {
                m_out.U8(0);
                m_out.U8(0);
            } else if (letter == '-') {
                LevelChange(tacts, i);
            } else if (IsDiagramItemLetter(letter)) {
                m_out.U8(static_cast<std::uint8_t>(letter));
                m_out.U8(static_cast<std::uint32_t>(ColumnItem(test, i)));
            } else if (letter == 'C' || letter == 'R' || letter == 'W' || letter == 'E' ||
                       letter == 'L' || letter == 'N') {
                m_out.U8(static_cast<std::uint8_t>(letter));
                m_out.U8(static_cast<std::uint32_t>(OpeningColumn(tacts.D1, i)));
            } else {
                throw InternalError("DosCtrl - for(int i = 1; i < numctrl; i++)");
            }
        }
    }

    static void ThrowNoOpening()
    {
        throw InternalError("for(int j = i - 1; j > 1; j--)    //ищем начало (G / F / M / P)");
    }

    // The nearest earlier column that a phase or a G-cycle end belongs to.
    static int OpeningColumn(const std::string &d1, int i)
    {
        const char letter = d1[static_cast<std::size_t>(i)];
        const bool gEnd = letter == 'E' || letter == 'L' || letter == 'N';
        for (int j = i - 1; j >= 1; --j) {
            const char c = d1[static_cast<std::size_t>(j)];
            if (gEnd ? c == 'G' : (c == 'F' || c == 'P' || c == 'M'))
                return j;
        }
        ThrowNoOpening();
        return -1;
    }

    void LevelChange(const TTimeArray &tacts, int i)
    {
        const auto &lines = tacts.Lines();
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const std::string &levels = lines[l].Levels;
            const auto at = static_cast<std::size_t>(i);
            const char now = at < levels.size() ? levels[at] : ' ';
            const char before = at - 1 < levels.size() ? levels[at - 1] : ' ';
            if (now != before) {
                m_out.U8(static_cast<std::uint32_t>(l + 1));
                m_out.U8(now == '-' ? 1 : 0);
                return;
            }
        }
        m_out.U8(0);
        m_out.U8(0);
    }

    // The constant flag and the values of an input or generator word.
    void AppliedValues(const TWord &list, const SWord &word, const STest &test,
                       std::uint16_t invert)
    {
        if (word.IsConstant() || m_opt.debug) {
            m_out.U8(1);
            const int cycle = m_opt.debug ? test.ActiveCycle : 0;
            m_out.U16(AppliedValue(list, word, cycle) ^ invert);
            return;
        }
        m_out.U8(0);
        for (int c = 0; c < test.Cycles; ++c)
            m_out.U16(AppliedValue(list, word, c) ^ invert);
    }

    void InputWords(const STest &test, const TestRunLists &lists)
    {
        m_out.U8(static_cast<std::uint32_t>(lists.iWords.size()));
        for (const char id : lists.iWords) {
            const SWord *word = test.IWords.Find(static_cast<unsigned char>(id));
            if (!word)
                throw MissingItem(m_index, "входное слово", 'i', static_cast<unsigned char>(id));
            m_out.U8(static_cast<std::uint32_t>(word->Id));
            m_out.U8(static_cast<std::uint32_t>(word->Tyre));
            AppliedValues(test.IWords, *word, test, word->Code == 0 ? 0xFFFF : 0);
        }
    }

    void OutputWords(const STest &test, const TestRunLists &lists)
    {
        const std::vector<int> marks = CheckMarks(test);
        m_out.U8(static_cast<std::uint32_t>(lists.oWords.size()));
        for (const char c : lists.oWords) {
            const int id = static_cast<unsigned char>(c);
            const SWord *word = test.OWords.Find(id);
            if (!word)
                throw MissingItem(m_index, "выходное слово", 'o', id);
            m_out.U8(static_cast<std::uint32_t>(id));
            m_out.U8(static_cast<std::uint32_t>(word->Tyre));
            const int width = test.OWords.BusWidth(id, m_doc.Doc().Tyres);
            if (test.OWords.IsWaitWord(id)) {
                m_out.U8(1);
                const auto passes = WaitTextToPasses(test.OWords.WaitLimit(id), width,
                                                     m_doc.WaitCalibrationSource());
                m_out.U32(static_cast<std::uint32_t>(passes.value_or(65535)));
            } else {
                m_out.U8(0);
            }
            m_out.U8(static_cast<std::uint32_t>(marks[static_cast<std::size_t>(id)]));
            const std::uint32_t mask = width >= 16 ? 0xFFFFu : (1u << width) - 1u;
            for (int cycle = 0; cycle < test.Cycles; ++cycle) {
                const std::uint32_t v = ReferenceValue(test.OWords, *word, cycle);
                m_out.U16(word->Code == 0 ? (~v & mask) : v);
            }
        }
    }

    void GeneratorWords(const STest &test)
    {
        std::vector<const SWord *> words;
        for (const SWord &w : test.GWords.Words()) {
            if (!InGGroup(w, GGroup::Cycle))
                words.push_back(&w);
        }
        std::sort(words.begin(), words.end(),
                  [](const SWord *a, const SWord *b) { return a->Id < b->Id; });
        m_out.U8(static_cast<std::uint32_t>(words.size()));
        for (const SWord *w : words) {
            m_out.U8(static_cast<std::uint32_t>(w->Id));
            m_out.U16(GeneratorKindCode(*w));
            AppliedValues(test.GWords, *w, test, 0);
        }
    }

    std::uint16_t GeneratorKindCode(const SWord &w) const
    {
        switch (GKindOf(w)) {
        case GKind::Pulse:
            return ChannelCode(w.Code, m_opt.dosUnit);
        case GKind::Frequency:
            return static_cast<std::uint16_t>(ChannelCode(w.Code, m_opt.dosUnit) +
                                              (m_opt.dosUnit ? 1000 : 128));
        case GKind::Delay:
            if (m_opt.dosUnit)
                return w.Code == -2 ? 0 : 1;
            return w.Code == -2 ? 257 : 256;
        default:
            throw InternalError("DosGword - GWordStatus");
        }
    }

    void GCycleWords(const STest &test, const TestRunLists &lists)
    {
        m_out.U8(static_cast<std::uint32_t>(lists.gCycles.size()));
        for (const char c : lists.gCycles) {
            const SWord *w = test.GWords.Find(static_cast<unsigned char>(c));
            if (!w)
                throw MissingItem(m_index, "слово G-цикла", 'g', static_cast<unsigned char>(c));
            const GKind kind = GKindOf(*w);
            if (kind != GKind::CountedCycle && kind != GKind::ConditionalCycle)
                throw InternalError("DosGfunc - GWordStatus");
            m_out.U8(static_cast<std::uint32_t>(w->Id));
            m_out.U8(kind == GKind::ConditionalCycle ? 1 : 0);
            AppliedValues(test.GWords, *w, test, 0);
        }
    }

    std::uint16_t Mask(char kind, int id) const
    {
        return kind == 'g' ? 0 : m_doc.WordMask(kind, id, m_index);
    }

    int Width(char kind, int id) const
    {
        const STest &test = *m_doc.Test(m_index);
        const TWord &list = kind == 'i'   ? static_cast<const TWord &>(test.IWords)
                            : kind == 'o' ? static_cast<const TWord &>(test.OWords)
                                          : static_cast<const TWord &>(test.GWords);
        return list.BusWidth(id, m_doc.Doc().Tyres);
    }

    // The unit gets the name in the folder (checked by CheckDataFile before).
    static std::string FileBytes(const std::string &name)
    {
        const std::string bare = DataFileNameInFolder(name).value_or(name);
        return TryUtf8ToCp1251(bare).value_or(bare);
    }

    void FFunctions(const STest &test, const TestRunLists &lists)
    {
        if (m_opt.debug) {
            m_out.U8(0);
            return;
        }
        m_out.U8(static_cast<std::uint32_t>(lists.fFuncs.size()));
        for (const char c : lists.fFuncs) {
            const SFuncF *f = test.FFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!f)
                throw MissingItem(m_index, "функция", 'F', static_cast<unsigned char>(c));
            const auto adr = DecodeWordCode(f->AdrWord);
            const auto dat = DecodeWordCode(f->DatWord);
            if (!adr || !dat || f->Type < 0 || f->Type > 2)
                throw InternalError("DosFfunc - FuncStatus");
            const int itemSize = (Width(dat->kind, dat->id) + 7) / 8;
            m_d.CheckDataFile(DataFileJob::ForF(*f, itemSize, m_opt.askOverwrite));
            m_out.U8(static_cast<std::uint32_t>(f->Number));
            m_out.U8(static_cast<std::uint8_t>("wrc"[f->Type]));
            m_out.U8(static_cast<std::uint8_t>(adr->kind));
            m_out.U8(static_cast<std::uint32_t>(adr->id));
            m_out.U16(Mask(adr->kind, adr->id));
            m_out.U8(static_cast<std::uint32_t>(dat->id));
            m_out.U16(Mask(dat->kind, dat->id));
            m_out.U32(static_cast<std::uint32_t>(f->AdrStart));
            m_out.U32(static_cast<std::uint32_t>(f->AdrEnd));
            m_out.U16(static_cast<std::uint32_t>(f->AdrInc));
            m_out.U8(static_cast<std::uint32_t>(itemSize));
            m_out.ShortText(FileBytes(f->FileName));
        }
    }

    std::uint32_t DataWordByte(char kind, int id) const
    {
        return static_cast<std::uint32_t>(id) | (Mask(kind, id) != 0 ? 0x80u : 0u);
    }

    void MFunctions(const STest &test, const TestRunLists &lists)
    {
        if (m_opt.debug) {
            m_out.U8(0);
            return;
        }
        m_out.U8(static_cast<std::uint32_t>(lists.mFuncs.size()));
        for (const char c : lists.mFuncs) {
            const SFuncM *m = test.MFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!m)
                throw MissingItem(m_index, "функция", 'M', static_cast<unsigned char>(c));
            m_out.U8(static_cast<std::uint32_t>(m->Number));
            for (const int word : {m->AdrWrite, m->AdrWrite2}) {
                m_out.U8(static_cast<std::uint32_t>(word));
                m_out.U16(Mask('i', word));
            }
            m_out.U8(DataWordByte('i', m->DatWrite));
            for (const int word : {m->AdrRead, m->AdrRead2}) {
                m_out.U8(static_cast<std::uint32_t>(word));
                m_out.U16(Mask('i', word));
            }
            m_out.U8(DataWordByte('o', m->DatRead));
            m_out.U32(static_cast<std::uint32_t>(m->AdrStart));
            m_out.U32(static_cast<std::uint32_t>(m->AdrEnd));
            m_out.U16(static_cast<std::uint32_t>(m->AdrInc));
            m_out.U16(Mask('i', m->DatWrite));
            m_out.U16(static_cast<std::uint32_t>(m->Alg));
        }
    }

    void PFunctions(const STest &test, const TestRunLists &lists)
    {
        if (m_opt.debug) {
            m_out.U8(0);
            return;
        }
        m_out.U8(static_cast<std::uint32_t>(lists.pFuncs.size()));
        for (const char c : lists.pFuncs) {
            const SProg *p = test.PFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!p)
                throw MissingItem(m_index, "функция", 'P', static_cast<unsigned char>(c));
            const int itemSize = (Width('i', p->DatWrite) + 7) / 8;
            m_d.CheckDataFile(DataFileJob::ForP(*p, itemSize));
            m_out.U8(static_cast<std::uint32_t>(p->Number));
            m_out.U8(static_cast<std::uint8_t>(p->AdrWriteKind));
            m_out.U8(static_cast<std::uint32_t>(p->AdrWrite));
            m_out.U16(Mask(p->AdrWriteKind, p->AdrWrite));
            m_out.U8(DataWordByte('i', p->DatWrite));
            m_out.U8(static_cast<std::uint8_t>(p->AdrReadKind));
            m_out.U8(static_cast<std::uint32_t>(p->AdrRead));
            m_out.U16(Mask(p->AdrReadKind, p->AdrRead));
            m_out.U8(DataWordByte('o', p->DatRead));
            m_out.U24(static_cast<std::uint32_t>(p->AdrStart));
            m_out.U24(static_cast<std::uint32_t>(p->AdrEnd));
            m_out.U16(static_cast<std::uint32_t>(p->AdrInc));
            m_out.U16(Mask('i', p->DatWrite));
            m_out.U8(p->Alg);
            m_out.U16(static_cast<std::uint32_t>(p->Cycles));
            m_out.U16(static_cast<std::uint32_t>(p->Param));
            m_out.ShortText(FileBytes(p->FileName));
        }
    }

    void VFunction(const STest &test)
    {
        const SFuncV *v = m_opt.debug ? test.VFuncs.ByNumber(test.VFuncs.Active()) : nullptr;
        if (!v) {
            m_out.U8(0);
            return;
        }
        const int cycle = std::clamp(test.ActiveCycle, 0, kVCycles - 1);
        const int sweep = v->Sweep[static_cast<std::size_t>(cycle)];
        const std::size_t index = sweep >= 0 && sweep < static_cast<int>(kTimeBase.size())
                                      ? static_cast<std::size_t>(sweep)
                                      : 0;
        m_out.U8(1);
        m_out.U8(static_cast<std::uint32_t>(v->Tact));
        m_out.U16(kTimeBase[index]);
    }

    Dosdata &m_d;
    ImageWriter &m_out;
    TQuorvik &m_doc;
    const RunOptions &m_opt;
    int m_index = 0;
};

std::uint8_t RunOptions::Flags(bool allTests) const
{
    std::uint8_t flags = 0;
    const bool bits[] = {debug,         probe,       debugCycles, continuous,
                         resultPerPass, stopOnError, allTests};
    for (int i = 0; i < 7; ++i) {
        if (bits[i])
            flags = static_cast<std::uint8_t>(flags | (1u << i));
    }
    return flags;
}

bool Dosdata::Compile(std::span<std::uint8_t> buffer, std::size_t &position)
{
    m_failure.clear();
    m_dataFiles.clear();
    m_lists.clear();
    const int current = m_doc.CurrentTest();
    m_runList = BuildRunList(m_doc.Doc(), current, &m_called);
    if (m_runList.empty()) {
        m_failure = "Нет теста для выполнения";
        Tell(m_notices, {NoticeKind::Error, m_failure, "Ошибка"});
        return false;
    }
    for (const int t : m_runList) {
        // A test with values unfit for the image is refused before any
        // question is asked; its load log named them already.
        const STest &test = *m_doc.Test(t);
        if (!test.LoadProblems.empty()) {
            m_failure = "Тест №" + std::to_string(t + 1) +
                        " не может быть выполнен: " + test.LoadProblems.front();
            Tell(m_notices, {NoticeKind::Error, m_failure, "Ошибка"});
            return false;
        }
    }
    try {
        if (m_options.debug)
            StepAddressWords();
        ImageWriter out(buffer, position);
        Compiler compiler(*this, out);
        compiler.Header(current < 0);
        for (const int t : m_runList) {
            m_lists.push_back(BuildTestRunLists(*m_doc.Test(t), t, m_options.debug));
            if (!m_options.debug && !ConfirmFileNames(t))
                return false;
            compiler.TestSection(m_lists.back());
            AddSerialFiles(m_lists.back());
        }
        position = out.Position();
        return true;
    } catch (const InternalError &e) {
        m_failure = e.what();
        ReportInternalFailure(m_failure);
    } catch (const DataFileRefused &e) {
        m_failure = e.what(); // already shown, or the operator's own choice
    } catch (const std::runtime_error &e) {
        m_failure = e.what(); // an oversize image, a missing item
        Tell(m_notices, {NoticeKind::Error, m_failure, "Ошибка"});
    }
    return false;
}

namespace {

// A file an S-function sends must be a regular file that can be opened;
// otherwise the run does not start (told, then DataFileRefused).
void CheckSerialFile(const std::string &label, const std::string &name,
                     const std::filesystem::path &path, const NoticeSink &notices)
{
    if (InputFile::Open(path, std::numeric_limits<std::uint64_t>::max()))
        return;
    const std::string kind = NonRegularKind(path);
    const std::string text = "Функция " + label + "\": " +
                             (kind.empty() ? "не удалось открыть файл данных \"" + name + "\""
                                           : NotRegularFileText(name, kind));
    Tell(notices, {NoticeKind::Error, text, "Ошибка"});
    throw DataFileRefused(text);
}

} // namespace

void Dosdata::AddSerialFiles(const TestRunLists &lists)
{
    // S-functions add nothing to the image: their files travel with the run.
    const STest &test = *m_doc.Test(lists.test);
    for (const char c : lists.sFuncs) {
        const SFuncS *s = test.SFuncs.ByNumber(static_cast<unsigned char>(c));
        if (!s || s->FileName.empty())
            continue;
        const std::string label = FunctionLabel('S', s->Number, s->Name);
        const auto path = DataFileInFolder(m_dir, label, s->FileName, m_notices);
        std::error_code ec;
        if (s->Mode == DirReadFile) {
            // The function sends the file to the device: without it the run
            // would pass having sent nothing.
            CheckSerialFile(label, s->FileName, path, m_notices);
        } else if (!std::filesystem::is_regular_file(path, ec)) {
            continue;
        }
        if (std::find(m_dataFiles.begin(), m_dataFiles.end(), path) == m_dataFiles.end())
            m_dataFiles.push_back(path);
    }
}

const TestRunLists *Dosdata::ListsOf(int testIndex) const
{
    for (const TestRunLists &lists : m_lists) {
        if (lists.test == testIndex)
            return &lists;
    }
    return nullptr;
}

Dosdata::Dosdata(TQuorvik &doc, RunOptions options, std::filesystem::path testFileDir)
    : m_doc(doc)
    , m_options(options)
    , m_dir(std::move(testFileDir))
{}

Dosdata::~Dosdata() = default;

} // namespace qv
