#pragma once

// The tact array of a test: per tact a kind letter (D1) and a second
// character (D2: the Id of the word, function or G-cycle the tact uses, as
// one hexadecimal digit), and one level line per board contact with one
// level character per tact. The diagram, the table and the device program
// are made from it. Stored in the test's DIAGRAMM section, together with the
// probe entries of each cycle (kept in STest, see SZond; the whole section
// is read and written by test/diagramsection.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;

inline constexpr std::string_view kDiagramSection = "DIAGRAMM";
inline constexpr char kLineSeparator = '\x07';

struct TLine
{
    std::int32_t Contact = 0; // adapter contact, 0-based (0 = contact 1): index into SCnt::Names
    std::string Label;        // shown in the label column
    std::string Levels;       // one level character per tact

    friend bool operator==(const TLine &, const TLine &) = default;
};

// One probe entry of one cycle. Measured and Reference hold one level
// character per tact, 'x' where nothing was measured or nothing is expected.
struct SZond
{
    std::string Name;
    std::string Measured;
    std::string Reference;
    bool On = false;        // only a switched-on entry takes measurements
    std::int32_t Mark = -1; // threshold mask of the measurement; -1 = none

    friend bool operator==(const SZond &, const SZond &) = default;
};

// Entry 0 of every cycle: the default probe named "Зонд", all 'x'.
inline constexpr std::string_view kDefaultProbeName = "Зонд";
SZond DefaultProbe(std::size_t tacts);

// Probe marks that let a measurement replace the reference on save.
inline constexpr std::int32_t kProbeMarkLow = 3;
inline constexpr std::int32_t kProbeMarkHigh = 12;

// The letters of columns that run an item (word, function, G-cycle, test).
constexpr bool IsDiagramItemLetter(char c)
{
    return c == 'i' || c == 'o' || c == 'O' || c == 'g' || c == 'G' || c == 'F' || c == 'M' ||
           c == 'P' || c == 'S' || c == 'T';
}

class TTimeArray
{
public:
    std::string D1; // kind letter per tact; its length is the tact count
    std::string D2; // second character per tact

    int TactCount() const { return static_cast<int>(D1.size()); }
    // The item number of a column: its D2 character as a hex digit, a
    // decimal digit for a T column; -1 when there is none.
    int ItemAt(int column) const;
    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::vector<TLine> &Lines() const { return m_lines; }

    // Appends an empty line (contact 0); false when memory runs out
    // (reported).
    bool AddLine();
    // A copy of line `index`; nullopt for a missing line.
    std::optional<TLine> GetLine(int index) const;
    // Replaces contact, label and levels of line `index`; false when missing.
    bool SetLine(int index, const TLine &line);
    void Clear();

    // The tact keys of the DIAGRAMM section (only when it exists): D1, D2
    // and the numbered lines "contact<07>levels<07>label". A malformed line
    // is reported (ReportMalformedValue) and left out.
    void Read(const IniStore &ini, std::string_view section);
    // Writes D1, D2 and the lines; numbered keys of an earlier write past
    // the last line go.
    void Write(IniStore &ini, std::string_view section) const;

    friend bool operator==(const TTimeArray &, const TTimeArray &) = default;

private:
    std::vector<TLine> m_lines;
};

} // namespace qv
