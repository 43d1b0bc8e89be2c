#pragma once

// TQorFunc: the main window's service object for the views. It keeps the
// diagram's level offsets and paints every cell of the diagram and the
// table (also the settings window's samples, in preview mode, without a
// document), and builds the hints over the diagram's header. It keeps no
// state between paint calls besides the fonts, colours and offsets it is
// given.

#include "model/content/diagramcontent.h"
#include "paint/views/diagramgeometry.h"
#include "paint/views/drawinfo.h"
#include "paint/views/paintkit.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <map>
#include <string>

class QPainter;

namespace qv {

class TQuorvik;
class ViewColours;
struct STest;
struct SZond;

namespace views {
class ViewPictures;
}

class TQorFunc
{
public:
    // The colours and pictures must outlive the object.
    TQorFunc(const ViewColours &colours, const views::ViewPictures &pictures);

    // The document whose current test is painted; null paints nothing but
    // preview cells.
    void SetDocument(const TQuorvik *document) { m_document = document; }
    const TQuorvik *Document() const { return m_document; }

    // The grids' font; the painters write in its bold and plain forms.
    void SetFont(const QFont &font);

    // Level offsets of a signal row of the given height.
    void UpdateLevelOffsets(int rowHeight);
    const views::LevelOffsets &Offsets() const { return m_offsets; }

    // The connected unit is of the DOS type: every probe may be switched.
    void SetDosUnit(bool dos) { m_dosUnit = dos; }
    // Whether the operator may switch a probe entry on and off.
    bool ProbeSwitchable(const SZond &probe) const;

    void PaintDiagramCell(QPainter &painter, const SDrawGridInfo &info) const;
    void PaintTableCell(QPainter &painter, const STableGridInfo &info) const;
    // The width a table cell needs to show its whole text as it is painted.
    int TableTextWidth(const TextGrid &grid, int col, int row) const;

    // The hint over the header of a tact of kind `kind` ('i', 'o'/'O', 'g',
    // 'G') using word `number`; empty for other kinds or without a test.
    std::string HintText(char kind, int number) const;

    // A colour of the views by its index (ColourIndex).
    QColor Colour(int index) const;

private:
    const STest *CurrentTest() const;
    // The colour of a tact's header letters.
    QColor StateColour(TactState state) const;

    // Diagram cells by area.
    void PaintCorner(QPainter &p, const SDrawGridInfo &info) const;
    void PaintBottomRow(QPainter &p, const SDrawGridInfo &info) const;
    void PaintProbeLabel(QPainter &p, const SDrawGridInfo &info, int probe) const;
    void PaintLineName(QPainter &p, const SDrawGridInfo &info) const;
    void PaintHeaderCell(QPainter &p, const SDrawGridInfo &info) const;
    void PaintSignalCell(QPainter &p, const SDrawGridInfo &info) const;
    void PaintProbeCell(QPainter &p, const SDrawGridInfo &info, int probe) const;
    QColor SignalBackground(const SDrawGridInfo &info) const;
    void PaintTrace(QPainter &p, const QRect &rect, const std::string &levels, int tact,
                    const QColor &colour) const;
    // Over a level line's cell, the level a run read where it was not the
    // one expected (nothing for ReadLevel::AsExpected).
    void PaintReadLevel(QPainter &p, const QRect &rect, ReadLevel read) const;
    // Where a level is drawn in a cell: the bar's top (-1 = no bar) and the
    // edges on either side.
    struct LevelShape
    {
        int y = -1;
        bool leftEdge = false;
        bool rightEdge = false;
        friend auto operator<=>(const LevelShape &, const LevelShape &) = default;
    };
    // The bar's top of a code, relative to the cell: '-' high, '_' low; a
    // probe trace '+' middle and nothing for anything else; a signal line
    // any other code on the bottom edge. Edges where the code differs from
    // a neighbour, neither is 'x' and none of the three is '+'.
    LevelShape ShapeOf(int height, char code, char left, char right, bool firstTact,
                       bool probe) const;
    void PaintLevel(QPainter &p, const QRect &rect, const LevelShape &shape,
                    const QColor &colour) const;
    // A signal cell's background, grey lines and level, from a cache of
    // such cells when painting into an image.
    void PaintSignalBody(QPainter &p, const QRect &rect, const QColor &background,
                         const LevelShape &shape, const QColor &colour) const;

    const ViewColours &m_colours;
    const views::ViewPictures &m_pictures;
    const TQuorvik *m_document = nullptr;
    views::FontFace m_bold;
    views::FontFace m_plain;
    mutable views::TextCache m_texts;
    // Signal cells look alike: each look is drawn once into an image.
    struct TileKey
    {
        int width = 0;
        int height = 0;
        QRgb background = 0;
        QRgb colour = 0;
        LevelShape shape;
        friend auto operator<=>(const TileKey &, const TileKey &) = default;
    };
    mutable std::map<TileKey, QImage> m_tiles;
    views::LevelOffsets m_offsets;
    bool m_dosUnit = false;
};

} // namespace qv
