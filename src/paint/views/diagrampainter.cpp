// Painting the cells of the diagram.

#include "model/document/quorvik.h"
#include "model/settings/displaycolours.h"
#include "paint/views/paintkit.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"

#include <QPaintEngine>
#include <algorithm>
#include <string_view>

namespace qv {

using namespace views;

namespace {

constexpr int kFirstTactCol = kDiagramFirstTactCol;
constexpr int kBarHeight = 3;
constexpr int kIconLeft = 2;
// The background of the name of a contact the diagnosis suspects.
const QColor kSuspect{0xFF, 0xFF, 0x00};

// A cell's code: its first character (a trailing marker does not count).
char CodeOf(const std::string &text)
{
    return text.empty() ? '\0' : text[0];
}

bool IsMergedHeader(char letter)
{
    return std::string_view("LENWRC").find(letter) != std::string_view::npos && letter != '\0';
}

// The preview sample: level lines, then one probe row, then the bottom row.
DiagramLayout PreviewLayout(const SDrawGridInfo &info)
{
    DiagramLayout layout;
    layout.tactCount = info.tactCount;
    layout.bottomRow = info.grid->RowCount() - 1;
    layout.firstProbeRow = layout.bottomRow - 1;
    layout.probeCount = 1;
    layout.lineCount = layout.firstProbeRow - kDiagramFirstLineRow;
    return layout;
}

// The complementary colour (each of R, G, B inverted).
QColor Complement(const QColor &c)
{
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

bool HasLevels(const std::string &levels)
{
    return levels.find_first_not_of('x') != std::string::npos;
}

} // namespace

void TQorFunc::PaintDiagramCell(QPainter &p, const SDrawGridInfo &info) const
{
    if (!info.grid || (!info.preview && !CurrentTest()))
        return;
    const DiagramLayout layout = info.preview ? PreviewLayout(info) : m_document->DiagramShape();
    const int c = info.col;
    const int r = info.row;
    if (c == 0 && r == 0) {
        PaintCorner(p, info);
    } else if (r == layout.bottomRow) {
        PaintBottomRow(p, info);
    } else if (c < kFirstTactCol) {
        if (layout.IsProbeRow(r))
            PaintProbeLabel(p, info, r - layout.firstProbeRow);
        else
            PaintLineName(p, info);
    } else if (r < kDiagramFirstLineRow) {
        PaintHeaderCell(p, info);
    } else if (layout.IsProbeRow(r)) {
        PaintProbeCell(p, info, r - layout.firstProbeRow);
    } else {
        PaintSignalCell(p, info);
    }
}

void TQorFunc::PaintCorner(QPainter &p, const SDrawGridInfo &info) const
{
    p.fillRect(info.rect, Qt::white);
    Frame(p, info.rect, kGrey);
    CellWriter(p, m_texts)
        .Write(info.rect, Qt::AlignCenter, Text(info.grid->Cell(0, 0)), Qt::black, m_bold);
}

void TQorFunc::PaintBottomRow(QPainter &p, const SDrawGridInfo &info) const
{
    const QRect &rect = info.rect;
    CellClip clip(p, rect);
    if (info.col < kFirstTactCol) {
        // One box over columns 0 and 1 with the start tact.
        const int left = info.col == 0 ? rect.left() : rect.left() - info.nameWidth;
        const QRect box(left, rect.top(), 2 * info.nameWidth, rect.height());
        p.fillRect(box, Qt::white);
        Frame(p, box, kGrey);
        HLine(p, box.left(), box.right(), box.bottom() - 1, kGrey);
        CellWriter(p, m_texts)
            .Write(box, Qt::AlignCenter, Text(info.grid->Cell(0, info.row)), Qt::black, m_bold);
        return;
    }
    // The ruler: a box five tacts wide from tact k = max(1, ((c - 1) div 5) * 5).
    const int k = views::RulerTact(info.col);
    const int width = rect.width();
    const int left = std::max(rect.left() - (info.col - (k + 1)) * width, info.tactLeft);
    const QRect box(left, rect.top(), 5 * width, rect.height());
    p.fillRect(rect, Qt::white);
    Frame(p, box, kGrey);
    CellWriter(p, m_texts)
        .Write(box.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::number(k),
               kGrey, m_plain);
}

void TQorFunc::PaintProbeLabel(QPainter &p, const SDrawGridInfo &info, int probe) const
{
    const QRect &rect = info.rect;
    CellClip clip(p, rect);
    const int left = info.col == 0 ? rect.left() : rect.left() - info.nameWidth;
    const QRect box(left, rect.top(), 2 * info.nameWidth, rect.height());
    const QColor background = Colour(ClrOuterBackground);
    p.fillRect(box, background);
    Frame(p, box, kGrey);

    const STest *test = info.preview ? nullptr : CurrentTest();
    const SZond *entry = nullptr;
    bool current = info.preview;
    if (test) {
        const auto cycle = static_cast<std::size_t>(test->ActiveCycle);
        if (cycle < test->Probes.size() &&
            static_cast<std::size_t>(probe) < test->Probes[cycle].size())
            entry = &test->Probes[cycle][static_cast<std::size_t>(probe)];
        const int currentProbe = cycle < test->ProbeFlags.size() ? test->ProbeFlags[cycle] : 0;
        current = currentProbe == probe;
    }
    if (current) {
        const QPen pen = p.pen();
        p.setPen(QPen(Complement(background), 1, Qt::DotLine));
        p.drawRect(box.adjusted(1, 1, -2, -2));
        p.setPen(pen);
    }
    const int iconWidth = m_pictures.ProbeIcon(true).width();
    if (entry && probe > 0 && ProbeSwitchable(*entry)) {
        const QImage &icon = m_pictures.ProbeIcon(entry->On);
        p.drawImage(box.left() + kIconLeft, box.top() + (box.height() - icon.height()) / 2, icon);
    }
    const QString name = entry ? Text(entry->Name) : QStringLiteral("Зонд");
    CellWriter writer(p, m_texts);
    writer.Write(box.adjusted(kIconLeft + iconWidth, 0, 0, 0), Qt::AlignCenter, name,
                 QColor(0xFF, 0xFF, 0x00), m_bold);
    if (entry && (entry->Mark == kProbeMarkLow || entry->Mark == kProbeMarkHigh)) {
        const QRect mark(box.right() - 9, box.top(), 9, box.height());
        writer.Write(mark, Qt::AlignLeft | Qt::AlignVCenter,
                     entry->Mark == kProbeMarkLow ? QStringLiteral("T") : QStringLiteral("D"),
                     Qt::white, m_plain);
    }
}

void TQorFunc::PaintLineName(QPainter &p, const SDrawGridInfo &info) const
{
    // A contact the diagnosis suspects: its name and label on yellow.
    bool suspect = false;
    if (const STest *test = info.preview || info.suspects.empty() ? nullptr : CurrentTest()) {
        const auto line = static_cast<std::size_t>(info.row - kDiagramFirstLineRow);
        const auto &lines = test->Tacts.Lines();
        suspect = line < lines.size() && std::find(info.suspects.begin(), info.suspects.end(),
                                                   lines[line].Contact + 1) != info.suspects.end();
    }
    p.fillRect(info.rect, suspect ? kSuspect : Colour(ClrOuterBackground));
    Frame(p, info.rect, kGrey);
    const std::string &text = info.grid->Cell(info.col, info.row);
    if (!text.empty())
        CellWriter(p, m_texts).Write(info.rect, Qt::AlignCenter, Text(text), Qt::red, m_plain);
}

void TQorFunc::PaintHeaderCell(QPainter &p, const SDrawGridInfo &info) const
{
    const QRect &rect = info.rect;
    const int c = info.col;
    const std::string &kindText = info.grid->Cell(c, 0);
    const std::string &number = info.grid->Cell(c, 1);
    const char kind = CodeOf(kindText);
    const bool inside = c - kFirstTactCol < info.tactCount;
    p.fillRect(rect, Colour(inside ? ClrOuterBackground : ClrMainBackground));
    // A letter with a marker after it is drawn without its kind colour.
    const QColor colour =
        kindText.size() > 1 ? QColor(Qt::red) : StateColour(TactStateAt(*info.grid, c));
    const bool merged = IsMergedHeader(kind);
    if (info.row == 0 || merged) {
        // Rows 0 and 1 are one cell for the closing letters: row 1 repeats it.
        const QRect box = info.row == 0 ? QRect(rect.left(), rect.top(), rect.width(),
                                                merged ? 2 * rect.height() : rect.height())
                                        : QRect(rect.left(), rect.top() - rect.height(),
                                                rect.width(), 2 * rect.height());
        CellClip clip(p, rect);
        HLine(p, box.left(), box.right(), box.top(), kGrey);
        VLine(p, box.left(), box.top(), box.bottom(), kGrey);
        if (c == kFirstTactCol)
            VLine(p, box.left() + 1, box.top(), box.bottom(), kGrey);
        if (merged)
            HLine(p, box.left(), box.right(), box.bottom(), kGrey);
        if (kind != '-' && kind != '\0')
            CellWriter(p, m_texts)
                .Write(box, Qt::AlignCenter, Text(std::string_view(&kind, 1)), colour, m_bold);
        return;
    }
    VLine(p, rect.left(), rect.top(), rect.bottom(), kGrey);
    if (c == kFirstTactCol)
        VLine(p, rect.left() + 1, rect.top(), rect.bottom(), kGrey);
    HLine(p, rect.left(), rect.right(), rect.bottom(), kGrey);
    if (number.empty() || kind == '-')
        return;
    // The digit "1" is narrow: centred one pixel further right it looks centred.
    const QRect textRect = number == "1" ? rect.adjusted(0, 0, 1, 0) : rect;
    CellWriter(p, m_texts)
        .Write(textRect, Qt::AlignCenter, Text(number.substr(0, 1)), colour, m_bold);
}

QColor TQorFunc::SignalBackground(const SDrawGridInfo &info) const
{
    const int tact = info.col - kFirstTactCol; // 0-based
    QColor background = Colour(ClrMainBackground);
    if (info.state & 2u) // focused
        background = Colour(ClrFocusedCell);
    if (info.vLine > 0 && info.row - 1 == info.vLine &&
        info.vMarks.find(static_cast<char>(info.col - 1)) != std::string::npos)
        background = Colour(ClrVTact);
    const STest *test = info.preview ? nullptr : CurrentTest();
    if (test && m_document->DebugMode() && (tact == test->DebugFirst || tact == test->DebugLast))
        background = Colour(ClrDebugTact);
    if (test && info.results && tact == test->RunCounter2)
        background = Colour(ClrLastTact);
    return background;
}

TQorFunc::LevelShape TQorFunc::ShapeOf(int height, char code, char left, char right, bool firstTact,
                                       bool probe) const
{
    LevelShape shape;
    switch (code) {
    case '-':
        shape.y = m_offsets.high;
        break;
    case '_':
        shape.y = m_offsets.low;
        break;
    case '+':
        shape.y = probe ? m_offsets.middle : height - kBarHeight;
        break;
    default:
        // A signal line's other codes lie on the bottom edge; a probe trace
        // shows nothing for them.
        shape.y = probe || code == '\0' ? -1 : height - kBarHeight;
        break;
    }
    if (shape.y < 0 || code == '+' || left == '+' || right == '+' || code == 'x')
        return shape;
    shape.leftEdge = !firstTact && left != '\0' && left != code && left != 'x';
    shape.rightEdge = right != '\0' && right != code && right != 'x';
    return shape;
}

void TQorFunc::PaintLevel(QPainter &p, const QRect &rect, const LevelShape &shape,
                          const QColor &colour) const
{
    if (shape.y < 0)
        return;
    p.fillRect(rect.left(), rect.top() + shape.y, rect.width(), kBarHeight, colour);
    // Edges run from just above the high level down to the low level.
    const int top = rect.top() + m_offsets.high - 2;
    const int height = m_offsets.low + kBarHeight - m_offsets.high + 2;
    if (shape.leftEdge)
        p.fillRect(rect.left(), top, kBarHeight, height, colour);
    if (shape.rightEdge)
        p.fillRect(rect.right() - kBarHeight + 1, top, kBarHeight, height, colour);
}

void TQorFunc::PaintSignalBody(QPainter &p, const QRect &rect, const QColor &background,
                               const LevelShape &shape, const QColor &colour) const
{
    const auto draw = [&](QPainter &target, const QRect &cell) {
        target.fillRect(cell, background);
        VLine(target, cell.left(), cell.top(), cell.bottom(), kGrey);
        HLine(target, cell.left(), cell.right(), cell.bottom(), kGrey);
        PaintLevel(target, cell, shape, colour);
    };
    // A vector device (PDF) gets the shapes themselves.
    if (p.paintEngine() == nullptr || p.paintEngine()->type() != QPaintEngine::Raster) {
        draw(p, rect);
        return;
    }
    const TileKey key{rect.width(), rect.height(), background.rgb(), colour.rgb(), shape};
    auto tile = m_tiles.find(key);
    if (tile == m_tiles.end()) {
        constexpr std::size_t kMaxTiles = 1024;
        if (m_tiles.size() >= kMaxTiles)
            m_tiles.clear();
        QImage image(rect.size(), QImage::Format_RGB32);
        QPainter tilePainter(&image);
        draw(tilePainter, image.rect());
        tilePainter.end();
        tile = m_tiles.emplace(key, std::move(image)).first;
    }
    p.drawImage(rect.topLeft(), tile->second);
}

void TQorFunc::PaintSignalCell(QPainter &p, const SDrawGridInfo &info) const
{
    const QRect &rect = info.rect;
    const char code = CodeOf(info.grid->Cell(info.col, info.row));
    const LevelShape shape =
        ShapeOf(rect.height(), code, CodeOf(info.grid->Cell(info.col - 1, info.row)),
                CodeOf(info.grid->Cell(info.col + 1, info.row)), info.col == kFirstTactCol, false);
    const bool beforeStart = info.col - 1 < info.startTact;
    PaintSignalBody(p, rect, SignalBackground(info), shape,
                    beforeStart ? Colour(ClrBeforeStartTact) : QColor(Qt::black));
    if (code == '\0')
        return;
    PaintReadLevel(p, rect, ReadLevelAt(*info.grid, info.col, info.row));

    if (info.vLine <= 0 || info.row - 1 != info.vLine ||
        info.vMarks.find(static_cast<char>(info.col - 1)) == std::string::npos)
        return;
    // The V-function's number over a V-marked tact.
    int number = 1;
    if (const STest *test = info.preview ? nullptr : CurrentTest()) {
        for (const SFuncV &function : test->VFuncs) {
            if (function.Tact == info.col - kFirstTactCol) {
                number = function.Number;
                break;
            }
        }
    }
    const QColor v = Colour(ClrVTact);
    const QColor numberColour((v.red() + 106) % 256, (v.green() + 106) % 256,
                              (v.blue() + 106) % 256);
    CellWriter(p, m_texts)
        .Write(rect, Qt::AlignCenter, QString::number(number), numberColour, m_bold);
}

void TQorFunc::PaintReadLevel(QPainter &p, const QRect &rect, ReadLevel read) const
{
    if (read == ReadLevel::AsExpected)
        return;
    // The level read, in the error colour over the expected one, with edges
    // on both sides: a glitch where the board went wrong.
    LevelShape shape;
    shape.y = read == ReadLevel::ReadHigh ? m_offsets.high : m_offsets.low;
    shape.leftEdge = true;
    shape.rightEdge = true;
    PaintLevel(p, rect, shape, Colour(ClrOutputWrong));
}

void TQorFunc::PaintTrace(QPainter &p, const QRect &rect, const std::string &levels, int tact,
                          const QColor &colour) const
{
    const auto at = [&](int t) {
        return t >= 0 && t < static_cast<int>(levels.size()) ? levels[static_cast<std::size_t>(t)]
                                                             : '\0';
    };
    PaintLevel(p, rect,
               ShapeOf(rect.height(), at(tact), at(tact - 1), at(tact + 1), tact == 0, true),
               colour);
}

void TQorFunc::PaintProbeCell(QPainter &p, const SDrawGridInfo &info, int probe) const
{
    const QRect &rect = info.rect;
    p.fillRect(rect, SignalBackground(info));
    VLine(p, rect.left(), rect.top(), rect.bottom(), kGrey);
    HLine(p, rect.left(), rect.right(), rect.bottom(), kGrey);
    const int tact = info.col - kFirstTactCol;
    if (tact >= info.tactCount)
        return;
    if (info.preview) {
        // The sample probe alternates from column to column.
        const std::string reference = tact % 2 == 0 ? "_-_" : "-_-";
        PaintTrace(p, rect, reference, 1, Colour(ClrProbeReference));
        const std::string data = tact % 2 == 0 ? "-_-" : "_-_";
        PaintTrace(p, rect, data, 1, Colour(ClrProbeData));
        return;
    }
    const STest *test = CurrentTest();
    const auto cycle = static_cast<std::size_t>(test->ActiveCycle);
    if (!m_document->ProbeMode() || tact < test->DebugFirst || tact > test->DebugLast ||
        cycle >= test->Probes.size() ||
        static_cast<std::size_t>(probe) >= test->Probes[cycle].size())
        return;
    const SZond &entry = test->Probes[cycle][static_cast<std::size_t>(probe)];
    if (HasLevels(entry.Reference))
        PaintTrace(p, rect, entry.Reference, tact, Colour(ClrProbeReference));
    if (HasLevels(entry.Measured))
        PaintTrace(p, rect, entry.Measured, tact, Colour(ClrProbeData));
}

} // namespace qv
