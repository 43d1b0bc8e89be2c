#pragma once

// Small drawing steps the view painters share. Fills and lines are drawn
// with fillRect, which leaves the painter's pen and brush alone; text is
// drawn with a pen and font that are put back afterwards.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QStaticText>
#include <functional>
#include <string_view>
#include <unordered_map>

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

// A font with its measures, set once for many texts.
struct FontFace
{
    explicit FontFace(const QFont &f = QFont())
        : font(f)
        , metrics(f)
    {}
    QFont font;
    QFontMetrics metrics;
};

// Texts laid out once and drawn many times: the views repeat the same
// names, letters and values on every repaint.
class TextCache
{
public:
    struct Entry
    {
        QStaticText text;
        int width = 0;
    };
    const Entry &Get(const QString &text, const FontFace &face)
    {
        constexpr std::size_t kMaxEntries = 4096;
        const Key key{text, &face};
        auto found = m_entries.find(key);
        if (found != m_entries.end())
            return found->second;
        if (m_entries.size() >= kMaxEntries)
            m_entries.clear();
        Entry entry;
        entry.text = QStaticText(text);
        entry.text.setTextFormat(Qt::PlainText);
        entry.text.prepare(QTransform(), face.font);
        entry.width = face.metrics.horizontalAdvance(text);
        return m_entries.emplace(key, std::move(entry)).first->second;
    }
    // After a font change the entries are stale.
    void Clear() { m_entries.clear(); }

private:
    struct Key
    {
        QString text;
        const FontFace *face;
        friend bool operator==(const Key &, const Key &) = default;
    };
    struct KeyHash
    {
        std::size_t operator()(const Key &key) const
        {
            return qHash(key.text) ^ std::hash<const void *>()(key.face);
        }
    };
    std::unordered_map<Key, Entry, KeyHash> m_entries;
};

// Writes the texts of one cell. Texts are placed from the font's measures
// (much cheaper than laying them out in a rectangle); the pen and the font
// are set only when they change, and what the painter had is put back when
// the cell is done. A text that would leave its rectangle is clipped to it.
class CellWriter
{
public:
    CellWriter(QPainter &p, TextCache &cache)
        : m_painter(p)
        , m_cache(cache)
    {}
    ~CellWriter()
    {
        if (m_changed) {
            m_painter.setPen(m_pen);
            m_painter.setFont(m_font);
        }
    }
    CellWriter(const CellWriter &) = delete;
    CellWriter &operator=(const CellWriter &) = delete;

    // Flags: one of Qt::AlignLeft, AlignHCenter, AlignRight with one of
    // Qt::AlignTop, AlignVCenter. Returns the text's width.
    int Write(const QRect &r, int flags, const QString &text, const QColor &colour,
              const FontFace &face)
    {
        if (text.isEmpty())
            return 0;
        Use(colour, face);
        const QFontMetrics &m = face.metrics;
        const TextCache::Entry &laid = m_cache.Get(text, face);
        const int width = laid.width;
        int x = r.left();
        if (flags & Qt::AlignHCenter)
            x = r.left() + (r.width() - width) / 2;
        else if (flags & Qt::AlignRight)
            x = r.right() + 1 - width;
        const int top = (flags & Qt::AlignTop) ? r.top() : r.top() + (r.height() - m.height()) / 2;
        const QPoint topLeft(x, top);
        if (x < r.left() || x + width > r.right() + 1 || top < r.top() ||
            top + m.height() > r.bottom() + 1) {
            m_painter.save();
            m_painter.setClipRect(r, Qt::IntersectClip);
            m_painter.drawStaticText(topLeft, laid.text);
            m_painter.restore();
        } else {
            m_painter.drawStaticText(topLeft, laid.text);
        }
        return width;
    }

private:
    void Use(const QColor &colour, const FontFace &face)
    {
        if (!m_changed) {
            m_pen = m_painter.pen();
            m_font = m_painter.font();
            m_changed = true;
        }
        if (m_face != &face) {
            m_painter.setFont(face.font);
            m_face = &face;
        }
        if (!m_colourSet || colour != m_colour) {
            m_painter.setPen(colour);
            m_colour = colour;
            m_colourSet = true;
        }
    }

    QPainter &m_painter;
    TextCache &m_cache;
    bool m_changed = false;
    QPen m_pen;
    QFont m_font;
    const FontFace *m_face = nullptr;
    QColor m_colour;
    bool m_colourSet = false;
};

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
