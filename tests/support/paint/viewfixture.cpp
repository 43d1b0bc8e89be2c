#include "support/paint/viewfixture.h"

#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"

#include <QPainter>
#include <cstdlib>
#include <functional>

namespace qv::testing {

ViewFixture::ViewFixture()
{
    auto test = std::make_unique<STest>();
    test->Cycles = 1;
    test->StartTact = 1;
    document.Doc().Tests[0] = std::move(test);
    document.Doc().NTest = 1;
    document.Doc().Tyres.Add(std::string(8, '\x01'));
    document.SelectTest(0);
    painter.SetDocument(&document);
    QFont font;
    font.setPixelSize(12);
    painter.SetFont(font);
}

void ViewFixture::SteadyTacts(int count)
{
    Test().Tacts.D1.assign(static_cast<std::size_t>(count), '-');
    Test().Tacts.D2.assign(static_cast<std::size_t>(count), '0');
}

void ViewFixture::AddLine(int contact, const std::string &label, const std::string &levels)
{
    TTimeArray &tacts = Test().Tacts;
    tacts.AddLine();
    tacts.SetLine(tacts.Count() - 1, TLine{contact, label, levels});
}

SWord &ViewFixture::AddWord(TWord &list, int id, const std::string &name, const std::string &data,
                            int tyre, int code)
{
    list.Add(id);
    SWord &word = *list.Find(id);
    word.Name = name;
    word.Tyre = tyre;
    word.Code = code;
    word.Data = data;
    word.Run = ReferenceRun(word, Test().Cycles);
    return word;
}

QImage ViewFixture::Diagram(grid::Cell focus)
{
    document.FillDiagramView();
    views::DiagramGeometry g;
    g.baseRowHeight = g.rowHeight = kRow;
    g.nameColWidth = kName;
    g.minTactWidth = g.tactWidth = kTact;
    painter.UpdateLevelOffsets(kRow);
    const grid::Geometry geometry = views::DiagramGridGeometry(g, document.DiagramView().ColCount(),
                                                               document.DiagramView().RowCount());
    SDrawGridInfo info = views::DiagramDrawBase(document, g);
    info.vMarks = vMarks;
    info.vLine = vLine;
    QImage image(2 * kName + 12 * kTact, document.DiagramView().RowCount() * kRow,
                 QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    grid::PaintOptions options;
    options.focus = focus;
    options.clipCells = false; // as the diagram widget paints
    grid::PaintCells(p, geometry, image.rect(), options,
                     views::DiagramCellPainter(painter, std::move(info)));
    return image;
}

QImage ViewFixture::Table(int width)
{
    document.FillTableView();
    return PaintTable(width);
}

QImage ViewFixture::PaintTable(int width)
{
    return PaintTable(document.TableView(), width);
}

QImage ViewFixture::PaintTable(const TextGrid &table, int width)
{
    const grid::Geometry geometry = views::TableGridGeometry(width, table.RowCount());
    QImage image(width, table.RowCount() * views::kTableRowHeight, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    grid::PaintCells(p, geometry, image.rect(), grid::PaintOptions{},
                     views::TableCellPainter(painter, table, document.TestRunFlags()[0] != 0));
    return image;
}

QPoint ViewFixture::DiagramCell(int col, int row)
{
    const int x = col < 2 ? col * kName : 2 * kName + (col - 2) * kTact;
    return {x, row * kRow};
}

namespace {

bool AnyPixel(const QImage &image, const QRect &area, const std::function<bool(QColor)> &test)
{
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (test(image.pixelColor(x, y)))
                return true;
        }
    }
    return false;
}

} // namespace

bool ViewFixture::HasColour(const QImage &image, const QRect &area, const QColor &colour)
{
    return AnyPixel(image, area, [&](QColor c) { return c.rgb() == colour.rgb(); });
}

bool ViewFixture::HasColourNear(const QImage &image, const QRect &area, const QColor &colour)
{
    constexpr int kTolerance = 48;
    return AnyPixel(image, area, [&](QColor c) {
        return std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                   std::abs(c.blue() - colour.blue()) <=
               kTolerance;
    });
}

} // namespace qv::testing
