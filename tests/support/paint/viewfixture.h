#pragma once

// A document with one test built in memory, the painters of the views, and
// offscreen renders of its diagram and table at a fixed geometry, for the
// tests that read pixels.

#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/settings/displaycolours.h"
#include "paint/grid/cellpaint.h"
#include "paint/views/diagramgeometry.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qv::testing {

class ViewFixture : public ::testing::Test
{
protected:
    // Cell sizes of the renders: names 60 px, tacts 20 px, rows 20 px (level
    // offsets: high 5, middle 10, low 15).
    static constexpr int kName = 60;
    static constexpr int kTact = 20;
    static constexpr int kRow = 20;

    ViewFixture();

    // The current test (created by the fixture, one cycle, start tact 1).
    STest &Test() { return *document.Test(0); }
    // A diagram of `count` tacts in which only levels change (kind "-").
    void SteadyTacts(int count);
    // A level line of the current test.
    void AddLine(int contact, const std::string &label, const std::string &levels);
    SWord &AddWord(TWord &list, int id, const std::string &name, const std::string &data,
                   int tyre = 0, int code = 1);

    // The diagram (filled first) painted at the fixture's geometry; the cell
    // `focus` is painted focused.
    QImage Diagram(grid::Cell focus = {-1, -1});
    // The table (filled first) painted with column widths from `width`.
    QImage Table(int width = 700);
    // The table as it is.
    QImage PaintTable(int width = 700);
    // The same for a grid of the test's own beside the document's.
    QImage PaintTable(const TextGrid &table, int width = 700);

    // Top left corner of a cell in the diagram render.
    static QPoint DiagramCell(int col, int row);
    // Whether any pixel of a rectangle has exactly that colour.
    static bool HasColour(const QImage &image, const QRect &area, const QColor &colour);
    // Antialiased text: whether a pixel comes within a few steps of a colour.
    static bool HasColourNear(const QImage &image, const QRect &area, const QColor &colour);
    static QColor Pixel(const QImage &image, int x, int y) { return image.pixelColor(x, y); }

    NullDocumentObserver observer;
    ScriptedFileUi ui;
    TQuorvik document{observer, ui};
    ViewColours colours;
    views::ViewPictures pictures;
    TQorFunc painter{colours, pictures};
    std::string vMarks;
    int vLine = 0;
};

} // namespace qv::testing
