#pragma once

// Small drawing steps the view painters share. Fills and lines are drawn
// with fillRect, which leaves the painter's pen and brush alone; text is
// drawn with a pen and font that are put back afterwards.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <string_view>

namespace qv::views {

inline const QColor kGrey{0x80, 0x80, 0x80};

inline QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline void HLine(QPainter &p, int left, int right, int y, const QColor &colour)
{
    p.fillRect(left, y, right - left + 1, 1, colour);
}

inline void VLine(QPainter &p, int x, int top, int bottom, const QColor &colour)
{
    p.fillRect(x, top, 1, bottom - top + 1, colour);
}

// A one-pixel frame just inside the rectangle.
inline void Frame(QPainter &p, const QRect &r, const QColor &colour)
{
    HLine(p, r.left(), r.right(), r.top(), colour);
    HLine(p, r.left(), r.right(), r.bottom(), colour);
    VLine(p, r.left(), r.top(), r.bottom(), colour);
    VLine(p, r.right(), r.top(), r.bottom(), colour);
}

inline void DrawText(QPainter &p, const QRect &r, int flags, const QString &text,
                     const QColor &colour, const QFont &font)
{
    const QPen pen = p.pen();
    const QFont previous = p.font();
    p.setPen(colour);
    p.setFont(font);
    p.drawText(r, flags, text);
    p.setPen(pen);
    p.setFont(previous);
}

// Limits drawing to one cell while a step draws a shape larger than it
// (merged cells, the ruler's boxes).
class CellClip
{
public:
    CellClip(QPainter &p, const QRect &cell)
        : m_painter(p)
    {
        m_painter.save();
        m_painter.setClipRect(cell, Qt::IntersectClip);
    }
    ~CellClip() { m_painter.restore(); }
    CellClip(const CellClip &) = delete;
    CellClip &operator=(const CellClip &) = delete;

private:
    QPainter &m_painter;
};

} // namespace qv::views
