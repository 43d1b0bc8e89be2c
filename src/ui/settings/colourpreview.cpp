#include "ui/settings/colourpreview.h"

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
        const views::ViewPicture picture =
            views::PreviewDiagramPicture(m_painter, m_content, kNameWidth, kRowHeight, kTactWidth);
        grid::PaintCells(p, picture.geometry, rect(), {}, picture.paint);
    } else {
        grid::PaintCells(p, views::TableGridGeometry(kTableWidth, m_content.RowCount()), rect(), {},
                         views::TableCellPainter(m_painter, m_content, false, true));
    }
}

} // namespace qv::settings
