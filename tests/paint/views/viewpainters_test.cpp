// The painters of the diagram and the table, judged by the pixels of
// offscreen renders.

#include "model/content/tablecontent.h"
#include "paint/views/previewcontent.h"
#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"
#include "support/paint/viewfixture.h"

#include <QPainter>

namespace qv {
namespace {

using testing::ViewFixture;

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(0x80, 0x80, 0x80);

QColor Rgb(std::uint32_t rgb)
{
    return QColor::fromRgb(rgb);
}

class DiagramPainting : public ViewFixture
{
protected:
    // x of a tact column (1-based tact), y of a signal row (1-based line).
    static int TactX(int tact) { return DiagramCell(tact + 1, 0).x(); }
    static int LineY(int line) { return DiagramCell(0, line + 1).y(); }
    // Between the high and the low level: only an edge is black there.
    static int EdgeY(int line) { return LineY(line) + 10; }
};

TEST_F(DiagramPainting, LevelBarsBeforeTheStartTactHaveTheirOwnColour)
{
    SteadyTacts(4);
    Test().StartTact = 3;
    AddLine(0, "", "----");
    const QImage image = Diagram();
    const int highBar = LineY(1) + 6;
    EXPECT_EQ(Pixel(image, TactX(1) + 10, highBar), Rgb(0xF0CAA6));
    EXPECT_EQ(Pixel(image, TactX(2) + 10, highBar), Rgb(0xF0CAA6));
    EXPECT_EQ(Pixel(image, TactX(3) + 10, highBar), kBlack);
    EXPECT_EQ(Pixel(image, TactX(4) + 10, highBar), kBlack);
    // Below the high level the cell shows its background.
    EXPECT_EQ(Pixel(image, TactX(3) + 10, highBar + 6), kWhite);
}

TEST_F(DiagramPainting, EdgesStandWhereTheLevelChangesWithinTheDiagram)
{
    SteadyTacts(3);
    AddLine(0, "", "-_-");
    const QImage image = Diagram();
    const int y = EdgeY(1);
    EXPECT_EQ(Pixel(image, TactX(1) + 1, y), kWhite) << "no left edge on the first tact";
    EXPECT_EQ(Pixel(image, TactX(1) + 18, y), kBlack);
    EXPECT_EQ(Pixel(image, TactX(2) + 1, y), kBlack);
    EXPECT_EQ(Pixel(image, TactX(2) + 18, y), kBlack);
    EXPECT_EQ(Pixel(image, TactX(3) + 1, y), kBlack);
    EXPECT_EQ(Pixel(image, TactX(3) + 18, y), kWhite) << "no right edge at the diagram's end";
    EXPECT_EQ(Pixel(image, TactX(2) + 10, LineY(1) + 16), kBlack) << "low level";
}

TEST_F(DiagramPainting, NoEdgeBetweenAnUndefinedLevelAndItsNeighbours)
{
    SteadyTacts(4);
    AddLine(0, "", "x-_+");
    const QImage image = Diagram();
    const int y = EdgeY(1);
    EXPECT_EQ(Pixel(image, TactX(1) + 18, y), kWhite);
    EXPECT_EQ(Pixel(image, TactX(2) + 1, y), kWhite);
    // "x" lies on the cell's bottom edge.
    EXPECT_EQ(Pixel(image, TactX(1) + 10, LineY(1) + 18), kBlack);
    // A cell next to "+" draws no edges at all, although its left neighbour
    // draws the edge between them.
    EXPECT_EQ(Pixel(image, TactX(2) + 18, y), kBlack);
    EXPECT_EQ(Pixel(image, TactX(3) + 1, y), kWhite);
    EXPECT_EQ(Pixel(image, TactX(3) + 18, y), kWhite);
}

TEST_F(DiagramPainting, ColumnsBeyondTheDiagramAreEmpty)
{
    Test().Tacts.D1 = "i------";
    Test().Tacts.D2 = "1000000";
    AddLine(0, "", "-------");
    const QImage image = Diagram();
    EXPECT_EQ(Pixel(image, TactX(7) + 10, 3), Rgb(0xC0C0C0));
    EXPECT_EQ(Pixel(image, TactX(8) + 10, 3), kWhite) << "header beyond the diagram";
    const QRect cell(TactX(8) + 1, LineY(1), 19, 19);
    EXPECT_FALSE(HasColour(image, cell, kBlack)) << "no level beyond the diagram";
    EXPECT_EQ(Pixel(image, TactX(8) + 10, LineY(1) + 10), kWhite);
    EXPECT_EQ(Pixel(image, TactX(8), LineY(1) + 10), kGrey) << "left line";
    EXPECT_EQ(Pixel(image, TactX(8) + 10, LineY(1) + 19), kGrey) << "bottom line";
}

TEST_F(DiagramPainting, RulerBoxesStartAtTactOneAndEveryFifthTact)
{
    SteadyTacts(7);
    AddLine(0, "", "-------");
    const QImage image = Diagram();
    const int top = LineY(2);
    const int middle = top + 10;
    // Frames on the left of tact 1 and tact 5 only.
    EXPECT_EQ(Pixel(image, TactX(1), middle), kGrey);
    EXPECT_EQ(Pixel(image, TactX(5), middle), kGrey);
    EXPECT_EQ(Pixel(image, TactX(3), middle), kWhite);
    EXPECT_EQ(Pixel(image, TactX(7), middle), kWhite);
    // Labels two pixels inside the boxes: "1" over tact 1, "5" over tact 5,
    // and nothing starts over tact 7, which lies in the box of 5.
    const auto label = [&](int tact) { return QRect(TactX(tact) + 2, top + 2, 16, 16); };
    const auto inked = [&](const QRect &area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) != kWhite)
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(label(1)));
    EXPECT_TRUE(inked(label(5)));
    EXPECT_FALSE(inked(label(7)));
    EXPECT_FALSE(inked(label(3)));
}

TEST_F(DiagramPainting, ClosingLettersTakeTheirColourFromTheSettings)
{
    Test().Tacts.D1 = "G-E";
    Test().Tacts.D2 = "100";
    AddWord(Test().GWords, 1, "До совпадения", "1", 0, -20);
    AddLine(0, "", "---");
    colours.Set(ClrWordGE, BgrFromRgb(0x12AB34));
    const QImage image = Diagram();
    const QRect e(TactX(3), 0, kTact, 2 * kRow);
    EXPECT_TRUE(HasColour(image, e, Rgb(0x12AB34)));
    // E is drawn over both header rows: a grey line closes the double cell only.
    EXPECT_EQ(Pixel(image, TactX(3) + 1, 2 * kRow - 1), kGrey);
    EXPECT_NE(Pixel(image, TactX(3) + 1, kRow - 1), kGrey);
    // A cycle with an exit condition takes the colour of its closing tact.
    EXPECT_TRUE(HasColour(image, QRect(TactX(1), 0, kTact, kRow), Rgb(0x12AB34)));
    EXPECT_FALSE(HasColour(image, QRect(TactX(1), 0, kTact, kRow), Rgb(0x808000)));
}

TEST_F(DiagramPainting, OutputLettersAreColouredByResultOnlyAfterARun)
{
    Test().Tacts.D1 = "oo";
    Test().Tacts.D2 = "12";
    AddWord(Test().OWords, 1, "Верное", "5").Run = "5";
    AddWord(Test().OWords, 2, "Неверное", "5").Run = "6";
    Test().OWords.Compare(1, false, false, 0);
    Test().OWords.Compare(2, false, false, 0);
    AddLine(0, "", "--");
    QImage image = Diagram();
    EXPECT_TRUE(HasColour(image, QRect(TactX(1), 0, kTact, kRow), Rgb(0x808080)));
    document.MarkTestRun(0, 1);
    image = Diagram();
    EXPECT_TRUE(HasColour(image, QRect(TactX(1), 0, kTact, kRow), Rgb(0x000080)));
    EXPECT_TRUE(HasColour(image, QRect(TactX(2), 0, kTact, kRow), Rgb(0xFF0000)));
}

TEST_F(DiagramPainting, FocusedAndVMarkedCellsHaveTheirBackgrounds)
{
    SteadyTacts(4);
    AddLine(0, "", "____");
    AddLine(1, "", "____");
    Test().VFuncs.Add(5);
    Test().VFuncs.ByNumber(5)->Tact = 2;
    vMarks = std::string(1, '\x03');
    vLine = 2;
    const QImage image = Diagram({3, 2});
    EXPECT_EQ(Pixel(image, TactX(2) + 10, LineY(1) + 4), Rgb(0xFFFF00));
    EXPECT_EQ(Pixel(image, TactX(1) + 10, LineY(1) + 4), kWhite);
    EXPECT_EQ(Pixel(image, TactX(3) + 2, LineY(2) + 4), Rgb(0xFFD9D9));
    EXPECT_EQ(Pixel(image, TactX(3) + 2, LineY(1) + 4), kWhite) << "only on the V line";
    // The V-function's number in the V colour shifted by 106 per channel.
    EXPECT_TRUE(HasColour(image, QRect(TactX(3), LineY(2), kTact, kRow), QColor(105, 67, 67)));
}

TEST_F(DiagramPainting, ProbeRowsShowLabelsIconsAndTraces)
{
    SteadyTacts(3);
    AddLine(0, "", "---");
    Test().Probes = {{DefaultProbe(3), SZond{"U5", "-_x", "___", true, 3}}};
    Test().ProbeFlags = {1};
    document.StoreModeFlag(DocumentMode::Probe, true);
    Test().DebugLast = 2;
    const QImage image = Diagram();
    const int first = LineY(2);
    const int second = LineY(3);
    // Only switchable probes other than the first show an icon; U5 is on.
    EXPECT_FALSE(HasColour(image, QRect(0, first, 20, kRow), QColor(0x00, 0xC0, 0x00)));
    EXPECT_TRUE(HasColour(image, QRect(0, second, 20, kRow), QColor(0x00, 0xC0, 0x00)));
    // TTL mark and the yellow name.
    EXPECT_TRUE(HasColour(image, QRect(2 * kName - 10, second, 10, kRow), kWhite));
    EXPECT_TRUE(HasColour(image, QRect(20, second, 2 * kName - 30, kRow), Rgb(0xFFFF00)));
    // Reference (yellow) low in every tact, data (blue) high then low.
    EXPECT_EQ(Pixel(image, TactX(1) + 10, second + 16), Rgb(0xFFFF00));
    EXPECT_EQ(Pixel(image, TactX(1) + 10, second + 6), Rgb(0x0000FF));
    EXPECT_EQ(Pixel(image, TactX(2) + 10, second + 16), Rgb(0x0000FF));
    EXPECT_EQ(Pixel(image, TactX(3) + 10, second + 6), kWhite) << "x: nothing measured";
}

TEST_F(DiagramPainting, NothingIsPaintedWithoutACurrentTest)
{
    Test().Tacts.D1 = "ii";
    AddLine(0, "", "--");
    document.FillDiagramView();
    document.SelectTest(-1);
    const QImage image = Diagram();
    EXPECT_FALSE(HasColour(image, image.rect(), kBlack));
}

TEST_F(DiagramPainting, PreviewSampleIsPaintedWithoutTheDocument)
{
    painter.SetDocument(nullptr);
    const TextGrid diagram = views::PreviewDiagram();
    ASSERT_EQ(diagram.ColCount(), 27);
    ASSERT_EQ(diagram.RowCount(), 5);
    const views::ViewPicture picture =
        views::PreviewDiagramPicture(painter, diagram, kName, kRow, kTact);
    ASSERT_EQ(picture.size, QSize(2 * kName + 25 * kTact, 5 * kRow));
    QImage image(picture.size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    grid::PaintCells(p, picture.geometry, image.rect(), {}, picture.paint);
    p.end();
    EXPECT_FALSE(HasColour(image, image.rect(), Qt::magenta)) << "every pixel belongs to a cell";
    EXPECT_TRUE(HasColour(image, image.rect(), Rgb(0xF0CAA6))) << "levels before tact 7";
    const QRect probeRow(2 * kName, 3 * kRow, 25 * kTact, kRow);
    EXPECT_TRUE(HasColour(image, probeRow, Rgb(0x0000FF))) << "sample probe data";
    EXPECT_TRUE(HasColour(image, probeRow, Rgb(0xFFFF00))) << "sample probe reference";
    EXPECT_TRUE(HasColour(image, QRect(0, 3 * kRow, 2 * kName, kRow), Rgb(0xFFFF00)))
        << "the probe label";
}

class TablePainting : public ViewFixture
{
protected:
    TablePainting()
    {
        Test().Cycles = 2;
        Test().Tacts.D1 = "io";
        Test().Tacts.D2 = "11";
        AddWord(Test().IWords, 1, "Данные", "1/2");
        AddWord(Test().OWords, 1, "Чтение", "5/6").Run = "5/7";
    }

    // A cell of the table render (columns at a table width of 700).
    static QRect Cell(int col, int row)
    {
        const auto widths = views::TableColumnWidths(700);
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += widths[static_cast<std::size_t>(c)];
        return QRect(x, row * views::kTableRowHeight, widths[static_cast<std::size_t>(col)],
                     views::kTableRowHeight);
    }
};

TEST_F(TablePainting, HeaderCycleColumnAndWordCellsHaveTheirColours)
{
    const QImage image = Table();
    EXPECT_EQ(Pixel(image, Cell(2, 0).left() + 3, 3), Rgb(0x808080)) << "header";
    EXPECT_EQ(Pixel(image, Cell(0, 1).left() + 3, Cell(0, 1).top() + 8), Rgb(0xF0CAA6))
        << "the active cycle";
    EXPECT_EQ(Pixel(image, Cell(0, 2).left() + 3, Cell(0, 2).top() + 8), Rgb(0x808080));
    EXPECT_EQ(Pixel(image, Cell(2, 1).left() + 3, Cell(2, 1).top() + 8), Rgb(0xC0C0C0));
    EXPECT_TRUE(HasColour(image, Cell(1, 1), Rgb(0x0000FF))) << "word number";
    EXPECT_TRUE(HasColour(image, Cell(2, 1), Rgb(0x008000))) << "value";
    // Cycles are closed by a line of their own below their last row.
    EXPECT_EQ(Pixel(image, Cell(3, 1).left() + 5, Cell(3, 1).bottom()), kBlack);
}

TEST_F(TablePainting, AfterARunAWrongWordIsRedAndAnUnreadOneGrey)
{
    document.MarkTestRun(0, 1);
    Test().OWords.Find(1)->Run = "5/\xFF";
    AddWord(Test().OWords, 2, "Флаги", "3/3").Run = "4/3";
    Test().Tacts.D1 = "ioo";
    Test().Tacts.D2 = "112";
    const QImage image = Table();
    ASSERT_EQ(document.TableView().Cell(ColOutputData, 2), "4");
    EXPECT_TRUE(HasColourNear(image, Cell(4, 2), Rgb(0xFF0000))) << "the wrong word's name";
    EXPECT_TRUE(HasColourNear(image, Cell(6, 2), Rgb(0xFF0000))) << "its data";
    EXPECT_FALSE(HasColourNear(image, Cell(4, 1), Rgb(0xFF0000))) << "a correct word";
    ASSERT_EQ(document.TableView().Cell(ColOutputData, 3), "- - -");
    EXPECT_TRUE(HasColour(image, Cell(4, 3), kGrey)) << "an unread word is inactive";
    EXPECT_FALSE(HasColour(image, Cell(4, 3), Rgb(0x0000FF)));
}

TEST_F(TablePainting, MarkedDebugValuesShowTheirPictureAndNotesTheirText)
{
    document.StoreModeFlag(DocumentMode::Debug, true);
    Test().IWords.Find(1)->FuncLink = MakeFuncLink(1, LinkFAddress);
    document.FillTableView();
    TextGrid table = document.TableView();
    table.SetCell(ColInputName, 1, "i1 Данные\x07заметка");
    table.SetMark(ColInputDebug, 1, MarkUp);
    const QImage image = PaintTable(table);
    const QRect debug = Cell(3, 1);
    EXPECT_TRUE(HasColour(image, debug.adjusted(debug.width() - 14, 0, 0, 0), Rgb(0x008000)))
        << "the plus picture at the right";
    const QRect name = Cell(1, 1);
    EXPECT_TRUE(HasColourNear(image, name.adjusted(name.width() / 2, 0, 0, 0), Rgb(0x800000)))
        << "the note, right-aligned";
}

} // namespace
} // namespace qv
