#include "ui/settings/colourpreview.h"

#include "paint/views/previewcontent.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"

#include <QPainter>
#include <algorithm>
#include <numeric>

namespace qv::settings {
namespace {

constexpr int kNameWidth = 60;
constexpr int kRowHeight = 20;
constexpr int kTactWidth = 14;
constexpr int kTableWidth = 420;
constexpr int kTableRow = 16;

} // namespace

ColourPreview::ColourPreview(Kind kind, TQorFunc &painter, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_painter(painter)
    , m_content(kind == Kind::Diagram ? views::PreviewDiagram() : views::PreviewTable())
{
    setObjectName(kind == Kind::Diagram ? QStringLiteral("sgDiagrammSample")
                                        : QStringLiteral("sgTableSample"));
    if (kind == Kind::Table) {
        m_painter.SetFont(font());
        m_tableNeeds = views::TableTextNeeds(m_painter, m_content);
    }
    setFixedSize(sizeHint());
}

QSize ColourPreview::sizeHint() const
{
    if (m_kind == Kind::Diagram)
        return {2 * kNameWidth + views::kPreviewTacts * kTactWidth,
                m_content.RowCount() * kRowHeight};
    const int needed = std::accumulate(m_tableNeeds.begin(), m_tableNeeds.end(), 0);
    return {std::max(kTableWidth, needed + 1), m_content.RowCount() * kTableRow};
}

void ColourPreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    m_painter.SetFont(font());
    if (m_kind == Kind::Diagram) {
        const views::ViewPicture picture =
            views::PreviewDiagramPicture(m_painter, m_content, kNameWidth, kRowHeight, kTactWidth);
        grid::PaintCells(p, picture.geometry, rect(), {}, picture.paint);
    } else {
        grid::PaintCells(p, views::TableGridGeometry(width(), m_content.RowCount(), m_tableNeeds),
                         rect(), {}, views::TableCellPainter(m_painter, m_content, false, true));
    }
}

} // namespace qv::settings
