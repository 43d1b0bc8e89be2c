#include "ui/views/diagramview.h"

#include "infra/helpers.h"
#include "model/document/quorvik.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"

#include <QMouseEvent>

namespace qv {
namespace {

// The probe icon's click zone, from the left edge of the label.
constexpr int kIconZoneLeft = 3;
constexpr int kIconZoneRight = 17;

bool OpensList(char kind)
{
    return std::string_view("ioOgGFMPS").find(kind) != std::string_view::npos && kind != '\0';
}

} // namespace

DiagramView::DiagramView(TQorFunc &painter, QWidget *parent)
    : StringGrid(parent)
    , m_painter(painter)
{
    setObjectName(QStringLiteral("sgD"));
    // The painters stay inside their cells and restore what they change.
    SetClipCells(false);
    SetUnfocusedBottomRows(1);
    SetColCount(kDiagramColumns);
    SetRowCount(3);
    SetTextSource([this](int col, int row) {
        return m_document ? QString::fromStdString(m_document->DiagramView().Cell(col, row))
                          : QString();
    });
    SetHintProvider([this](int col, int row) { return HeaderHint(col, row); });
    connect(this, &StringGrid::FocusCellChanged, this, &DiagramView::ShowFocusInCorner);
    ResetGeometry();
}

void DiagramView::SetDocument(TQuorvik *document)
{
    m_document = document;
    Refresh();
}

void DiagramView::ResetGeometry()
{
    m_painter.SetFont(font());
    const int horizontal = m_geometry.horizontalStep;
    const int vertical = m_geometry.verticalStep;
    const bool measured = m_geometry.baseRowHeight > 0;
    m_geometry = views::InitialGeometry(views::MeasureFont(font()));
    if (measured) {
        m_geometry.horizontalStep = horizontal;
        m_geometry.verticalStep = vertical;
    }
    ApplyGeometry();
}

void DiagramView::Refresh()
{
    const int rows = m_document ? m_document->DiagramView().RowCount() : 3;
    SetRowCount(std::max(rows, 3));
    ApplyGeometry();
    // A refill empties the corner: it names the focused cell again.
    const grid::Cell focus = FocusCell();
    if (focus.col >= kDiagramFirstTactCol && focus.row >= kDiagramFirstLineRow)
        ShowFocusInCorner(focus.col, focus.row);
}

void DiagramView::SetVMarks(std::string marks, int line)
{
    m_vMarks = std::move(marks);
    m_vLine = line;
    Refresh();
}

void DiagramView::SetSuspectContacts(std::vector<int> contacts)
{
    m_suspects = std::move(contacts);
    ApplyGeometry();
    viewport()->update();
}

void DiagramView::ApplyGeometry()
{
    const grid::Geometry g = views::DiagramGridGeometry(m_geometry, ColCount(), RowCount());
    for (int c = 0; c < ColCount(); ++c)
        SetColWidth(c, g.colWidths[static_cast<std::size_t>(c)]);
    for (int r = 0; r < RowCount(); ++r)
        SetRowHeight(r, g.rowHeights[static_cast<std::size_t>(r)]);
    SetFixedCols(g.fixedCols);
    SetFixedRows(g.fixedRows);
    m_painter.UpdateLevelOffsets(m_geometry.rowHeight);
    // What the draw record holds for every cell follows the document and the
    // geometry.
    SDrawGridInfo info;
    if (m_document)
        info = views::DiagramDrawBase(*m_document, m_geometry);
    info.nameWidth = m_geometry.nameColWidth;
    info.tactLeft = 2 * m_geometry.nameColWidth;
    info.vLine = m_vLine;
    if (!m_vMarks.empty())
        info.vMarks = m_vMarks;
    info.suspects = m_suspects;
    SetCellPainter(views::DiagramCellPainter(m_painter, std::move(info)));
}

void DiagramView::ScaleUp()
{
    views::ScaleUp(m_geometry);
    ApplyGeometry();
}

void DiagramView::ScaleDown()
{
    views::ScaleDown(m_geometry);
    ApplyGeometry();
}

void DiagramView::SetScaleSteps(int horizontal, int vertical)
{
    m_geometry.horizontalStep = std::clamp(horizontal, 0, views::kMaxScaleStep);
    m_geometry.verticalStep = std::clamp(vertical, 0, views::kMaxScaleStep);
}

void DiagramView::AutoFit()
{
    const bool lines = m_document && m_document->DiagramShape().lineCount > 0;
    const int tacts = m_document ? m_document->DiagramShape().tactCount : 0;
    views::AutoFit(m_geometry, viewport()->width(), tacts, lines);
    ApplyGeometry();
}

void DiagramView::ShowFocusInCorner(int col, int row)
{
    if (!m_document)
        return;
    m_document->ShowDiagramFocus(std::to_string(row - 1) + ":" + std::to_string(col - 1));
    viewport()->update(CellRect(0, 0));
}

QString DiagramView::HeaderHint(int col, int row) const
{
    if (!m_document || row > 1 || col < kDiagramFirstTactCol)
        return {};
    const std::string &kind = m_document->DiagramView().Cell(col, 0);
    const std::string &number = m_document->DiagramView().Cell(col, 1);
    if (kind.size() != 1 || number.empty())
        return {};
    QString text = QString::fromStdString(m_painter.HintText(kind[0], WD_HexToInt(number)));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.trimmed();
}

int DiagramView::ProbeAt(int row) const
{
    if (!m_document || !m_document->DiagramShape().IsProbeRow(row))
        return -1;
    return row - m_document->DiagramShape().firstProbeRow;
}

const SZond *DiagramView::ProbeEntry(int probe) const
{
    const STest *test = m_document ? m_document->Test(m_document->CurrentTest()) : nullptr;
    if (!test || probe < 0)
        return nullptr;
    const auto cycle = static_cast<std::size_t>(test->ActiveCycle);
    if (cycle >= test->Probes.size() ||
        static_cast<std::size_t>(probe) >= test->Probes[cycle].size())
        return nullptr;
    return &test->Probes[cycle][static_cast<std::size_t>(probe)];
}

void DiagramView::mousePressEvent(QMouseEvent *event)
{
    StringGrid::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const auto hit = CellAt(pos);
    if (!hit || !m_document)
        return;
    const DiagramLayout &layout = m_document->DiagramShape();
    if (hit->row < kDiagramFirstLineRow) {
        // The first tact column opens nothing.
        if (hit->col <= kDiagramFirstTactCol || !layout.IsTactCol(hit->col))
            return;
        const std::string &kind = m_document->DiagramView().Cell(hit->col, 0);
        const std::string &number = m_document->DiagramView().Cell(hit->col, 1);
        if (kind.size() == 1 && OpensList(kind[0]))
            emit ListRequested(kind[0] == 'O' ? 'o' : kind[0], WD_HexToInt(number));
        return;
    }
    const int probe = m_document->ProbeMode() ? ProbeAt(hit->row) : -1;
    if (probe < 0)
        return;
    const int x = pos.x() - CellRect(0, hit->row).left();
    if (hit->col < kDiagramFirstTactCol && probe > 0 && x >= kIconZoneLeft && x <= kIconZoneRight) {
        const SZond *entry = ProbeEntry(probe);
        if (entry && m_painter.ProbeSwitchable(*entry))
            emit ProbeSwitchRequested(probe);
        return;
    }
    emit ProbeSelected(probe);
}

void DiagramView::mouseReleaseEvent(QMouseEvent *event)
{
    StringGrid::mouseReleaseEvent(event);
    if (event->button() != Qt::RightButton || !m_document)
        return;
    const auto hit = CellAt(event->position().toPoint());
    if (!hit)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const DiagramLayout &layout = m_document->DiagramShape();
    if (m_document->ProbeMode() && hit->col < kDiagramFirstTactCol && layout.IsProbeRow(hit->row)) {
        emit ProbeMenuRequested(ProbeAt(hit->row), global);
        return;
    }
    if (m_document->DebugMode() && layout.IsTactCol(hit->col) && hit->row >= kDiagramFirstLineRow &&
        hit->row < layout.bottomRow)
        emit DebugMenuRequested(hit->col - kDiagramFirstTactCol, global);
}

} // namespace qv
