#include "paint/views/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace qv::views {
namespace {

constexpr int kTablePictureSize = 11;
constexpr int kProbeIconSize = 14;

QImage Blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A framed square with a sign inside: '+', '-' or a dot for "none".
QImage TableSign(char sign, const QColor &colour)
{
    QImage image = Blank(kTablePictureSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(colour.darker(130));
    p.setBrush(Qt::white);
    p.drawRect(0, 0, kTablePictureSize - 1, kTablePictureSize - 1);
    const int mid = kTablePictureSize / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (sign == '+' || sign == '-')
        p.drawRect(2, mid - 1, kTablePictureSize - 4, 3);
    if (sign == '+')
        p.drawRect(mid - 1, 2, 3, kTablePictureSize - 4);
    if (sign == '.')
        p.drawRect(mid - 1, mid - 1, 3, 3);
    return image;
}

// A probe: a needle from the lower left to a round head at the upper right,
// the head lit (green) when the probe is on.
QImage ProbeDrawing(bool on)
{
    QImage image = Blank(kProbeIconSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.5, 12.5), QPointF(7.0, 7.0));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.0));
    p.setBrush(on ? QColor(0x00, 0xC0, 0x00) : QColor(0xA0, 0xA0, 0xA0));
    p.drawEllipse(QPointF(9.0, 5.0), 4.2, 4.2);
    if (!on) {
        p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 1.6));
        p.drawLine(QPointF(6.5, 2.5), QPointF(11.5, 7.5));
    }
    return image;
}

} // namespace

ViewPictures::ViewPictures()
    : m_up(TableSign('+', QColor(0x00, 0x80, 0x00)))
    , m_down(TableSign('-', QColor(0xC0, 0x00, 0x00)))
    , m_none(TableSign('.', QColor(0x80, 0x80, 0x80)))
    , m_probeOn(ProbeDrawing(true))
    , m_probeOff(ProbeDrawing(false))
{}

const QImage &ViewPictures::TablePicture(int mark) const
{
    switch (mark) {
    case TableUp:
        return m_up;
    case TableDown:
        return m_down;
    case TableNone:
        return m_none;
    default:
        return m_null;
    }
}

} // namespace qv::views
