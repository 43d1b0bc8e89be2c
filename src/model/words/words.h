#pragma once

// The words of a test: input words (kind 'i', driven onto the board), output
// words ('o', read back and compared with a reference) and generator words
// ('g': pulse generators, frequency settings, time delays, G-cycle control).
// Each test owns one list of each kind, at most 16 words, numbered 1..16 by
// the sections IWORDS<n>, OWORDS<n>, GWORDS<n>.
//
// A word keeps one reference value per cycle (Data) and, separately, the
// values of the current run (Run): for input and generator words the values
// applied in debug mode, for output words the values read back. Both are
// per-cycle texts (wordvalues.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;
class TTyreAdr;
class WaitCalibration;
struct SSaveParam;

inline constexpr int kMaxWords = 16;

// Which of a word's two value texts an operation works on.
enum class ValueSet { Reference, Run };

// Kind bits of SWord::FuncLink; the function number is in bits 24..31.
enum FuncLinkKind : std::int32_t {
    LinkFAddress = 1,     // address-setting word of an F-function
    LinkMAddress = 2,     // address word of an M-function
    LinkMHighAddress = 4, // high address word of an M-function
    LinkPData = 32,       // data word of a P-function
    LinkPData2 = 64,      // second data word of a P-function
};

constexpr std::int32_t MakeFuncLink(int functionNumber, std::int32_t kindBits)
{
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(functionNumber) & 0xFFu) << 24) |
           kindBits;
}
constexpr int FuncLinkNumber(std::int32_t link)
{
    return static_cast<int>((static_cast<std::uint32_t>(link) >> 24) & 0xFFu);
}
constexpr std::int32_t FuncLinkKinds(std::int32_t link)
{
    return link & 0x00FFFFFF;
}

// Word codes, the way functions name their words: 0..999 input word n,
// 1000..1999 output word n - 1000, 2000 and above generator word n - 2000.
struct WordCode
{
    char kind = 'i'; // 'i', 'o' or 'g'
    int id = 0;
};
// nullopt for a negative code.
std::optional<WordCode> DecodeWordCode(std::int32_t code);
// "i12", "o3", "g1"; "" for a negative code.
std::string WordCodeText(std::int32_t code);

struct SWord
{
    std::string Name;       // "" = constant word: one value for every cycle
    std::int32_t Tyre = -1; // bus index into SQor::Tyres, 0-based; generator words: kind selector
    std::int32_t Id = 0;    // 1..16, the number of its section; unique within a list
    std::int32_t Code = -1; // input/output: 1 direct, 0 inverse; generator words: see GKindOf
    std::string Data;       // reference values per cycle
    std::string Run;        // values of the current run; kNoValue = not taken yet
    std::int32_t FuncLink = 0; // see FuncLinkKind; 0 = no function uses the word

    bool IsConstant() const { return Name.empty(); }
    friend bool operator==(const SWord &, const SWord &) = default;
};

// The run values a word starts with: its reference values; a constant word
// repeats its single value for every cycle (at least once).
std::string ReferenceRun(const SWord &word, int cycles);

// The input word list, and the base of the output and generator lists.
// Words keep the order in which they were added; lookup is by Id and by
// position. Failures of the value operations (a word that is not there,
// reading past the last value, a value that is not a number) are internal
// failures: reported through ReportInternalFailure, the operation returns
// false.
class TWord
{
public:
    explicit TWord(char kind = 'i');
    virtual ~TWord();
    TWord(const TWord &) = default;
    TWord &operator=(const TWord &) = default;

    char Kind() const { return m_kind; }
    // "IWORDS", "OWORDS" or "GWORDS".
    std::string SectionStem() const;

    int Count() const { return static_cast<int>(m_words.size()); }
    const std::vector<SWord> &Words() const { return m_words; }

    // Appends a word with that Id and the defaults (empty name, Tyre -1,
    // Code -1, no values, no link); an existing Id is accepted unchanged.
    // False only when memory runs out (reported).
    bool Add(int id);
    SWord *Find(int id);
    const SWord *Find(int id) const;
    SWord *At(int position);
    const SWord *At(int position) const;
    // Position of the word with that Id, -1 when absent.
    int PositionOf(int id) const;
    // Copies every field of `word` into the listed word with the same Id;
    // false (reported) when there is none.
    bool Replace(const SWord &word);
    // One byte per word, the low byte of its Id, in list order.
    std::string IdString() const;

    // Number of reference values of the word; 0 when Data is empty or the
    // word is absent.
    int ValueCount(int id) const;

    // Sequential readers, one cursor per value set shared by the whole list
    // (RefCursor, RunCursor): callers reset the cursor before a pass.
    void ResetCursors() { RefCursor = RunCursor = 0; }
    // Reads the value at the cursor of `which` and advances it. A run value
    // not taken yet reads as -1. False (reported) past the last value, for a
    // value that is not a number, and for an absent word.
    bool NextValue(int id, ValueSet which, std::int32_t &value);
    int RefCursor = 0;
    int RunCursor = 0;

    // Random access without the cursors: the value of a 0-based cycle,
    // nullopt when there is none (or it was not taken yet).
    std::optional<std::int32_t> ValueAt(int id, int cycle, ValueSet which) const;
    // Replaces the value of a 0-based cycle by the decimal text of value, or
    // by kNoValue when value is -1. A run text grows as needed; a reference
    // text does not (false, reported, past its last value).
    bool SetValueAt(int id, int cycle, std::int32_t value, ValueSet which);
    // Replaces Data or Run as a whole.
    bool SetText(int id, std::string_view text, ValueSet which);

    bool SetFuncLink(int id, std::int32_t value);
    // 0 for an absent word.
    std::int32_t FuncLinkOf(int id) const;

    virtual void Clear();

    // Reads the sections <stem>1..<stem>16 of the test's store; words keep
    // section order. cycles is the test's cycle count (constant words repeat
    // their value that many times in Run). A malformed value is
    // reported (ReportMalformedValue) and read as its default.
    void Read(const IniStore &ini, int cycles);
    // Writes one section per word in list order; DATA follows the save
    // parameters (null = the reference data).
    void Write(IniStore &ini, const SSaveParam *param) const;

    // Run data := reference data, constants repeated for every cycle.
    void ResetRun(int cycles);

    // Bits of the word's bus (0 for an absent word or bus).
    int BusWidth(int id, const TTyreAdr &tyres) const;

protected:
    // Hooks of the derived lists around one word's section.
    virtual void AfterReadWord(SWord &word, const IniStore &ini, const std::string &section);
    virtual std::string DataToSave(const SWord &word, const SSaveParam *param) const;
    virtual void WriteExtraKeys(const SWord &word, IniStore &ini, const std::string &section) const;
    virtual void AfterRead() {}

    SWord *FindOrReport(int id, std::string_view operation);
    const SWord *FindOrReport(int id, std::string_view operation) const;
    std::string *TextOf(SWord &word, ValueSet which);

    char m_kind;
    std::vector<SWord> m_words;
};

// Output words. Besides the words the list keeps, per word, whether it is a
// wait word (TYPE "O": the unit waits until the word matches, at most its
// wait limit), the waits the unit reported per cycle as pass counts and as
// time texts, and the result of the last comparison.
class TOWord : public TWord
{
public:
    // Result bytes of Compare.
    enum : std::uint8_t { ResultCorrect = 1, ResultWrong = 2, ResultUnchecked = 3 };
    static constexpr std::string_view kNoWaitLimit = "65535";

    TOWord();

    bool IsWaitWord(int id) const;
    // Makes the word a wait word or a standard one.
    void SetWaitWord(int id, bool wait);
    // One byte Id + 1 per wait word (WaitIds).
    std::string WaitIds() const;

    // 0 correct, 1 wrong, 2 not checked: the stored result byte minus 1;
    // 0 when no comparison stored a result.
    int Result(int id) const;
    // Computes the word's result byte from its reference and run values and
    // stores it. With oneCycle only `cycle` counts, and with clearFirst too
    // its run value is first set to "not taken".
    bool Compare(int id, bool clearFirst, bool oneCycle, int cycle);

    // Records the unit's wait passes of the next cycle: first = true
    // replaces, otherwise appends. The time text of the same passes goes to
    // WaitTimes (a pass count when no calibration is given).
    bool AddWait(int id, std::int64_t passes, bool first, int busWidth,
                 const WaitCalibration *calibration = nullptr);
    std::string WaitCounts(int id) const;
    std::string WaitTimes(int id) const;

    // The OWAIT text: a pass count or a time text; "65535" when none.
    std::string WaitLimit(int id) const;
    // "-1" is stored as "65535".
    bool SetWaitLimit(int id, std::string_view text);

    void Clear() override;

protected:
    void AfterReadWord(SWord &word, const IniStore &ini, const std::string &section) override;
    std::string DataToSave(const SWord &word, const SSaveParam *param) const override;
    void WriteExtraKeys(const SWord &word, IniStore &ini,
                        const std::string &section) const override;

private:
    struct WaitState
    {
        bool wait = false;
        std::string counts;
        std::string times;
        std::string limit{kNoWaitLimit};
        std::uint8_t result = 0; // 0 = none stored
    };
    WaitState *StateOf(int id);
    const WaitState *StateOf(int id) const;
    // The word's state, created when missing.
    WaitState &StateFor(int id);

    // Keyed by Id; the list is at most 16 long.
    std::vector<std::pair<int, WaitState>> m_states;
};

// Generator word kinds, decided by Tyre and Code in this order: Tyre 1 pulse
// generator (Code = contact), Code -1/-2 time delay in ms/µs, Tyre 2
// frequency setting (Code = contact), Code -10 counted G-cycle, Code -20
// G-cycle with exit on condition (value = output word number).
enum class GKind {
    Pulse,
    Delay,
    Frequency,
    CountedCycle,
    ConditionalCycle,
    Undefined,
};
GKind GKindOf(const SWord &word);
// "генератор импульсов", "временная задержка", "задание частоты",
// "G-цикл со счётчиком", "G-цикл с выходом по условию", "".
std::string_view GKindName(GKind kind);
// The value as the lists show it: a delay as number + " мс"/" мкс", an
// exit-on-condition cycle as "o" + number, otherwise the number; an
// undefined word gives "Неопределённое g-слово".
std::string GValueText(const SWord &word, std::int32_t value);

// Groups of generator words for lists and tables (a word may be in none).
enum class GGroup {
    Pulse,     // Tyre 1, Code >= 0
    Frequency, // Tyre 2, Code >= 0
    Delay,     // Code -1 or -2
    Cycle,     // Code -10 or -20
};
bool InGGroup(const SWord &word, GGroup group);

class TGWord : public TWord
{
public:
    TGWord();

    using TWord::IdString;
    // The Ids of one group, one byte each, in list order.
    std::string IdString(GGroup group) const;
    // Words of the pulse, frequency and delay groups.
    int PlainCount() const;
    // Words of the G-cycle group.
    int CycleCount() const;
    bool HasConditionalCycles() const;

    // Run values of the exit-on-condition G-cycle words (Code -20), one text
    // per word in Id order. The key is the word's Id byte.
    bool SetGRun(int id, std::int32_t value, bool replace);
    // Sequential reader of one word's GRuns text, like NextValue.
    bool NextGRun(int id, std::int32_t &value);
    std::string GRun(int id) const;
    void ResetGRunCursor() { m_gRunCursor = 0; }
    // One empty text per Code -20 word (done after every read).
    void RebuildGRuns();

    void Clear() override;

protected:
    void AfterRead() override { RebuildGRuns(); }

private:
    std::vector<std::pair<int, std::string>> m_gRuns;
    int m_gRunCursor = 0;
};

} // namespace qv
