// Painting the cells of the table.

#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/settings/displaycolours.h"
#include "paint/views/paintkit.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"

namespace qv {

using namespace views;

namespace {

constexpr int kNameLeft = 4;
constexpr int kNameGap = 10;
constexpr int kRightMargin = 3;
const QColor kNoteColour{0x80, 0x00, 0x00};
const QColor kWaitColour{0x00, 0x80, 0x80};

// Rows of one cycle carry its number in column 0.
bool SameCycle(const TextGrid &grid, int row, int other)
{
    return other >= 1 && other < grid.RowCount() &&
           grid.Cell(ColCycle, row) == grid.Cell(ColCycle, other);
}

bool IsInputHalf(int col)
{
    return col >= ColInputName && col <= ColInputDebug;
}

// A half row whose debug or data column holds "- - -" is inactive.
bool Inactive(const TextGrid &grid, int col, int row)
{
    return grid.Cell(IsInputHalf(col) ? ColInputDebug : ColOutputData, row) == kNoData;
}

// With results: the output half's reference and data differ.
bool OutputDiffers(const TextGrid &grid, int row)
{
    const std::string &data = grid.Cell(ColOutputData, row);
    return !data.empty() && data != grid.Cell(ColOutputReference, row);
}

// A name cell's text: the letter and number, the word's name, and the note
// after a character 7.
struct NameParts
{
    std::string_view number;
    std::string_view rest;
    std::string_view note;
};

NameParts SplitName(std::string_view name)
{
    NameParts parts;
    if (const auto split = name.find(kNoteSeparator); split != std::string_view::npos) {
        parts.note = name.substr(split + 1);
        name = name.substr(0, split);
    }
    const auto space = name.find(' ');
    parts.number = name.substr(0, space);
    parts.rest = space == std::string_view::npos ? std::string_view() : name.substr(space + 1);
    return parts;
}

} // namespace

int TQorFunc::TableTextWidth(const TextGrid &grid, int c, int r) const
{
    const std::string &text = grid.Cell(c, r);
    if (text.empty())
        return 0;
    // Room for the frame lines and a little air on either side.
    constexpr int kAir = 2 * kRightMargin;
    const auto width = [](const FontFace &face, std::string_view part) {
        return face.metrics.horizontalAdvance(Text(part));
    };
    if (r == 0 || c == ColCycle)
        return width(m_bold, text) + kAir;
    if (c != ColInputName && c != ColOutputName) {
        const int picture = m_pictures.TablePicture(grid.Mark(c, r)).width();
        return width(m_plain, text) + (picture > 0 ? 2 * (picture + kRightMargin) : 0) + kAir;
    }
    const NameParts name = SplitName(text);
    int needed = kNameLeft + width(m_bold, name.number) + kNameGap + width(m_plain, name.rest);
    if (!name.note.empty())
        needed += kNameGap + width(m_plain, name.note) + kRightMargin;
    return needed + kAir;
}

void TQorFunc::PaintTableCell(QPainter &p, const STableGridInfo &info) const
{
    if (!info.grid)
        return;
    const TextGrid &grid = *info.grid;
    const QRect &rect = info.rect;
    const int c = info.col;
    const int r = info.row;
    const std::string &text = grid.Cell(c, r);
    if (r == 0) {
        p.fillRect(rect, Colour(ClrTableFixedBackground));
        Frame(p, rect, Colour(ClrTablePen));
        CellWriter(p, m_texts)
            .Write(rect, Qt::AlignCenter, Text(text), Colour(ClrTableFixedPen), m_bold);
        return;
    }
    const QColor pen = Colour(ClrTablePen);
    if (c == ColCycle) {
        const STest *test = info.preview ? nullptr : CurrentTest();
        const int active = test ? test->ActiveCycle + 1 : 1;
        const bool activeCycle = text == std::to_string(active);
        p.fillRect(rect, Colour(activeCycle ? ClrTableActiveCycle : ClrTableFixedBackground));
        VLine(p, rect.right(), rect.top(), rect.bottom(), pen);
        if (!SameCycle(grid, r, r - 1)) {
            HLine(p, rect.left(), rect.right(), rect.top(), pen);
            CellWriter(p, m_texts)
                .Write(rect, Qt::AlignCenter, Text(text), Colour(ClrTableCyclePen), m_bold);
        }
        if (!SameCycle(grid, r, r + 1))
            HLine(p, rect.left(), rect.right(), rect.bottom(), pen);
        return;
    }

    // A cell of the word columns: its frame; a row followed by a row of the
    // same cycle leaves the line between them to that row.
    p.fillRect(rect, Colour(ClrTableBackground));
    const QRect frame = SameCycle(grid, r, r + 1) ? rect.adjusted(0, 0, 0, 1) : rect;
    HLine(p, frame.left(), frame.right(), frame.top(), pen);
    VLine(p, frame.left(), frame.top(), std::min(frame.bottom(), rect.bottom()), pen);
    VLine(p, frame.right(), frame.top(), std::min(frame.bottom(), rect.bottom()), pen);
    if (frame.bottom() == rect.bottom())
        HLine(p, frame.left(), frame.right(), frame.bottom(), pen);
    if (text.empty())
        return;

    const bool inactive = Inactive(grid, c, r);
    const bool wrong = info.results && !inactive && OutputDiffers(grid, r);
    if (c == ColInputName || c == ColOutputName) {
        const auto [number, rest, note] = SplitName(text);
        QColor numberColour = Colour(ClrTableWordNumber);
        QColor nameColour = Colour(c == ColInputName ? ClrTableInputName : ClrTableOutputName);
        if (inactive) {
            numberColour = nameColour = kGrey;
        } else if (c == ColOutputName && wrong && !grid.Cell(ColOutputData, r).starts_with('#')) {
            numberColour = nameColour = Colour(ClrTableWrongWord);
        }
        CellWriter writer(p, m_texts);
        const QRect numberRect = rect.adjusted(kNameLeft, 0, 0, 0);
        const int numberWidth = writer.Write(numberRect, Qt::AlignLeft | Qt::AlignVCenter,
                                             Text(number), numberColour, m_bold);
        writer.Write(numberRect.adjusted(numberWidth + kNameGap, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, Text(rest), nameColour, m_plain);
        if (!note.empty())
            writer.Write(rect.adjusted(0, 0, -kRightMargin, 0), Qt::AlignRight | Qt::AlignVCenter,
                         Text(note), kNoteColour, m_plain);
        return;
    }

    // Values.
    const bool debugColumn = c == ColInputDebug || c == ColOutputData;
    QColor colour = Colour(debugColumn ? ClrTableDebug : ClrTableData);
    if (inactive)
        colour = kGrey;
    else if (wrong && (c == ColOutputReference || c == ColOutputData))
        colour =
            grid.Cell(ColOutputData, r).starts_with('#') ? kWaitColour : Colour(ClrTableWrongWord);
    CellWriter(p, m_texts)
        .Write(rect.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, Text(text), colour,
               m_plain);
    const QImage &picture = m_pictures.TablePicture(grid.Mark(c, r));
    if (!picture.isNull())
        p.drawImage(rect.right() - kRightMargin - picture.width() + 1,
                    rect.top() + (rect.height() - picture.height()) / 2, picture);
}

} // namespace qv
