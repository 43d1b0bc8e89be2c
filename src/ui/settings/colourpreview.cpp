#include "ui/settings/colourpreview.h"

#include "ui/views/diagramgeometry.h"
#include "ui/views/drawinfo.h"
#include "ui/views/previewcontent.h"
#include "ui/views/qorfunc.h"
#include "ui/views/viewrender.h"
#include "ui/views/viewsetup.h"

#include <QPainter>

namespace qv::settings {
namespace {

constexpr int kNameWidth = 60;
constexpr int kRowHeight = 20;
constexpr int kTactWidth = 14;
constexpr int kTableWidth = 420;
constexpr int kTableRow = 16;

views::DiagramGeometry SampleGeometry()
{
    views::DiagramGeometry g;
    g.baseRowHeight = g.rowHeight = kRowHeight;
    g.nameColWidth = kNameWidth;
    g.minTactWidth = g.tactWidth = kTactWidth;
    return g;
}

} // namespace

ColourPreview::ColourPreview(Kind kind, TQorFunc &painter, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_painter(painter)
    , m_content(kind == Kind::Diagram ? views::PreviewDiagram() : views::PreviewTable())
{
    setObjectName(kind == Kind::Diagram ? QStringLiteral("sgDiagrammSample")
                                        : QStringLiteral("sgTableSample"));
    setFixedSize(sizeHint());
}

QSize ColourPreview::sizeHint() const
{
    if (m_kind == Kind::Diagram)
        return {2 * kNameWidth + views::kPreviewTacts * kTactWidth,
                m_content.RowCount() * kRowHeight};
    return {kTableWidth, m_content.RowCount() * kTableRow};
}

void ColourPreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    m_painter.SetFont(font());
    if (m_kind == Kind::Diagram) {
        m_painter.UpdateLevelOffsets(kRowHeight);
        SDrawGridInfo info;
        info.grid = &m_content;
        info.preview = true;
        info.tactCount = views::kPreviewTacts;
        info.startTact = views::kPreviewStartTact;
        info.nameWidth = kNameWidth;
        info.tactLeft = 2 * kNameWidth;
        grid::PaintCells(p,
                         views::DiagramGridGeometry(SampleGeometry(), m_content.ColCount(),
                                                    m_content.RowCount()),
                         rect(), {}, views::DiagramCellPainter(m_painter, info));
    } else {
        grid::PaintCells(p, views::TableGridGeometry(kTableWidth, m_content.RowCount()), rect(), {},
                         views::TableCellPainter(m_painter, m_content, false, true));
    }
}

} // namespace qv::settings
