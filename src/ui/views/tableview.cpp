#include "ui/views/tableview.h"

#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <charconv>

namespace qv {
namespace {

// The picture's click zone at the right of a debug value.
constexpr int kMarkZone = 14;
// Between the header row and the note below it.
constexpr int kNoteGap = 12;

// The letter and number at the start of a name ("i12 Адрес" gives 'i', 12).
std::optional<std::pair<char, int>> WordOfName(const std::string &name)
{
    if (name.size() < 2)
        return std::nullopt;
    int number = 0;
    const char *end = name.data() + name.size();
    const auto [next, error] = std::from_chars(name.data() + 1, end, number);
    if (error != std::errc() || next == name.data() + 1)
        return std::nullopt;
    return std::make_pair(name[0], number);
}

} // namespace

TableView::TableView(TQorFunc &painter, QWidget *parent)
    : StringGrid(parent)
    , m_painter(painter)
{
    setObjectName(QStringLiteral("sgTable"));
    // Columns grow to show their texts whole; a table wider than the view
    // scrolls.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SetColCount(kTableColumns);
    SetRowCount(1);
    SetFixedCols(0);
    SetTextSource([this](int col, int row) {
        return m_document ? QString::fromStdString(m_document->TableView().Cell(col, row))
                          : QString();
    });
    connect(this, &StringGrid::CellReleased, this, &TableView::OnReleased);
    Refresh();
}

void TableView::SetDocument(TQuorvik *document)
{
    m_document = document;
    Refresh();
}

void TableView::Refresh()
{
    SetRowCount(m_document ? std::max(m_document->TableView().RowCount(), 1) : 1);
    if (m_document) {
        const int test = m_document->CurrentTest();
        const bool results = test >= 0 && test < kMaxTests &&
                             m_document->TestRunFlags()[static_cast<std::size_t>(test)] != 0;
        SetCellPainter(views::TableCellPainter(m_painter, m_document->TableView(), results));
        m_textNeeds = views::TableTextNeeds(m_painter, m_document->TableView());
    } else {
        SetCellPainter([](QPainter &, const CellPaint &) {});
        m_textNeeds = {};
    }
    ApplyGeometry();
}

void TableView::ShowCycle(int cycle)
{
    if (m_document && cycle >= 0 && cycle < static_cast<int>(m_document->CycleRows().size()))
        SetTopRow(m_document->CycleRows()[static_cast<std::size_t>(cycle)]);
}

QString TableView::Note() const
{
    const STest *test = m_document ? m_document->CurrentTestRecord() : nullptr;
    if (test == nullptr || RowCount() > 1)
        return {};
    const bool words = test->Tacts.D1.find_first_of("igGoO") != std::string::npos;
    return words ? QString() : QString::fromUtf8(kNoWordsNote);
}

void TableView::paintEvent(QPaintEvent *event)
{
    StringGrid::paintEvent(event);
    const QString text = Note();
    if (text.isEmpty())
        return;
    QPainter painter(viewport());
    const QRect header = CellRect(0, 0);
    const int top = header.isEmpty() ? 0 : header.bottom() + 1;
    QRect area = viewport()->rect();
    area.setTop(top + kNoteGap);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

void TableView::ApplyGeometry()
{
    const grid::Geometry g = views::TableGridGeometry(viewport()->width(), RowCount(), m_textNeeds);
    for (int c = 0; c < ColCount(); ++c)
        SetColWidth(c, g.colWidths[static_cast<std::size_t>(c)]);
    for (int r = 0; r < RowCount(); ++r)
        SetRowHeight(r, g.rowHeights[static_cast<std::size_t>(r)]);
    SetFixedRows(g.fixedRows);
    // The header alone is no fixed row: it must not stay scrolled away.
    if (RowCount() == 1)
        SetTopRow(0);
    viewport()->update();
}

void TableView::resizeEvent(QResizeEvent *event)
{
    StringGrid::resizeEvent(event);
    ApplyGeometry();
}

void TableView::OnReleased(int col, int row, Qt::MouseButton, const QPoint &globalPos)
{
    if (!m_document || row < 1)
        return;
    const TextGrid &grid = m_document->TableView();
    if (col == ColCycle) {
        int cycle = 0;
        const std::string &text = grid.Cell(ColCycle, row);
        std::from_chars(text.data(), text.data() + text.size(), cycle);
        if (cycle >= 1 && cycle != m_document->GetActiveCycle() + 1)
            emit ActiveCycleRequested(cycle - 1);
        return;
    }
    if (col == ColInputName || col == ColOutputName) {
        int cycle = 0;
        const std::string &text = grid.Cell(ColCycle, row);
        std::from_chars(text.data(), text.data() + text.size(), cycle);
        if (const auto word = WordOfName(grid.Cell(col, row)))
            emit ListRequested(word->first == 'O' ? 'o' : word->first, word->second, cycle);
        return;
    }
    if (col != ColInputDebug || !m_document->DebugMode() || grid.Cell(col, row).empty())
        return;
    const QRect rect = CellRect(col, row);
    const QPoint pos = viewport()->mapFromGlobal(globalPos);
    const int mark = grid.Mark(col, row);
    if (mark != 0 && pos.x() > rect.right() - kMarkZone) {
        const int next = mark % 3 + 1;
        m_document->SetTableMark(col, row, next);
        viewport()->update(rect);
        emit AddressMarkAdvanced(row, next);
        return;
    }
    if (const auto word = WordOfName(grid.Cell(ColInputName, row)))
        emit DebugValueEditRequested(word->first, word->second, row);
}

} // namespace qv
