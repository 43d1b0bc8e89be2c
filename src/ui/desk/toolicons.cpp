#include "ui/desk/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace qv::desk {
namespace {

constexpr int kSize = 20;
const QColor kInk(0x20, 0x30, 0x60);
const QColor kPaper(0xFF, 0xFF, 0xF4);

using Drawer = std::function<void(QPainter &)>;

void Letter(QPainter &p, const QString &text, const QColor &fill)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, kSize - 3, kSize - 3), 3, 3);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(text.size() > 1 ? 9 : 12);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void Folder(QPainter &p)
{
    p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x50));
    QPainterPath path;
    path.moveTo(2, 5);
    path.lineTo(8, 5);
    path.lineTo(10, 7);
    path.lineTo(18, 7);
    path.lineTo(18, 17);
    path.lineTo(2, 17);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(QColor(0xFF, 0xE0, 0x80));
    p.drawRect(QRectF(4, 10, 14, 7));
}

void Wave(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kPaper);
    p.drawRect(1, 1, kSize - 3, kSize - 3);
    p.setPen(QPen(QColor(0x00, 0x60, 0x00), 2));
    const QPointF top[] = {{3, 8}, {6, 8}, {6, 4}, {11, 4}, {11, 8}, {17, 8}};
    p.drawPolyline(top, 6);
    p.setPen(QPen(QColor(0xB0, 0x00, 0x00), 2));
    const QPointF bottom[] = {{3, 16}, {8, 16}, {8, 12}, {14, 12}, {14, 16}, {17, 16}};
    p.drawPolyline(bottom, 6);
}

void Grid(QPainter &p, bool withConstants, bool split)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 1, kSize - 3, kSize - 3);
    p.fillRect(QRect(2, 2, kSize - 4, 4), QColor(0xC0, 0xD0, 0xF0));
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    for (int y = 6; y < kSize - 2; y += 4)
        p.drawLine(2, y, kSize - 3, y);
    p.drawLine(8, 2, 8, kSize - 3);
    if (withConstants)
        p.fillRect(QRect(9, 7, 8, 3), QColor(0xD0, 0x90, 0x20));
    if (split) {
        p.setPen(QPen(QColor(0xB0, 0x00, 0x00), 2));
        p.drawLine(13, 2, 13, kSize - 3);
    }
}

void Bus(QPainter &p)
{
    p.setPen(QPen(kInk, 2));
    for (int y : {5, 10, 15})
        p.drawLine(3, y, 17, y);
    p.setPen(QPen(kInk, 1));
    p.drawLine(3, 3, 3, 17);
    p.drawLine(17, 3, 17, 17);
}

void Arrow(QPainter &p, bool inward, const QString &letter)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xE0, 0xF0, 0xFF));
    p.drawRect(QRectF(9.5, 3.5, 8, 13));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.drawText(QRect(10, 4, 8, 12), Qt::AlignCenter, letter);
    p.setPen(QPen(inward ? QColor(0x00, 0x80, 0x00) : QColor(0xC0, 0x00, 0x00), 2));
    const double from = inward ? 1 : 8;
    const double to = inward ? 8 : 1;
    p.drawLine(QPointF(from, 10), QPointF(to, 10));
    const double tip = to;
    const double back = inward ? tip - 3 : tip + 3;
    p.drawLine(QPointF(tip, 10), QPointF(back, 7));
    p.drawLine(QPointF(tip, 10), QPointF(back, 13));
}

void Pulse(QPainter &p)
{
    p.setPen(QPen(QColor(0x80, 0x00, 0x80), 2));
    const QPointF line[] = {{1, 15},  {4, 15}, {4, 5},  {8, 5},   {8, 15},
                            {12, 15}, {12, 5}, {16, 5}, {16, 15}, {19, 15}};
    p.drawPolyline(line, 10);
}

void Loop(QPainter &p)
{
    p.setPen(QPen(QColor(0x00, 0x60, 0xA0), 2));
    p.drawArc(QRectF(3, 3, 14, 14), 60 * 16, 300 * 16);
    p.drawLine(QPointF(13.5, 4.5), QPointF(17, 3));
    p.drawLine(QPointF(13.5, 4.5), QPointF(15, 8));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("G"));
}

void Connector(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawRect(QRectF(2.5, 5.5, 15, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0xC0, 0x40));
    for (int x = 4; x < 17; x += 3) {
        p.drawRect(x, 7, 2, 2);
        p.drawRect(x, 11, 2, 2);
    }
}

void Bubble(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xFF, 0xFF, 0xC0));
    QPainterPath path;
    path.addRoundedRect(QRectF(1.5, 2.5, 17, 11), 3, 3);
    path.moveTo(5, 13.5);
    path.lineTo(4, 18);
    path.lineTo(9, 13.5);
    p.drawPath(path.simplified());
    p.setPen(QPen(kInk, 1));
    for (int y : {6, 9})
        p.drawLine(4, y, 15, y);
}

void Gear(QPainter &p)
{
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
    const QPointF c(10, 10);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45.0);
        p.drawLine(QPointF(0, 5), QPointF(0, 8.5));
        p.restore();
    }
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawEllipse(c, 6, 6);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 2.5, 2.5);
}

void Pencil(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 12, 16));
    p.setPen(QPen(QColor(0xC0, 0x80, 0x00), 3));
    p.drawLine(QPointF(17, 4), QPointF(8, 15));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(8, 15), QPointF(6.5, 18));
}

void Door(QPainter &p)
{
    p.setPen(QPen(QColor(0x60, 0x30, 0x00), 1));
    p.setBrush(QColor(0xB0, 0x70, 0x30));
    p.drawRect(QRectF(3.5, 1.5, 9, 17));
    p.setBrush(QColor(0xF0, 0xD0, 0x40));
    p.drawEllipse(QPointF(10.5, 10), 1, 1);
    p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2));
    p.drawLine(QPointF(13, 10), QPointF(19, 10));
    p.drawLine(QPointF(19, 10), QPointF(16, 7));
    p.drawLine(QPointF(19, 10), QPointF(16, 13));
}

const std::map<std::string_view, Drawer> &Drawers()
{
    static const std::map<std::string_view, Drawer> drawers{
        {"acOpenFile", Folder},
        {"acDiagramm", Wave},
        {"acTable", [](QPainter &p) { Grid(p, false, false); }},
        {"acFullTable", [](QPainter &p) { Grid(p, true, false); }},
        {"acParedTable", [](QPainter &p) { Grid(p, false, true); }},
        {"acTyreData", Bus},
        {"acIWord", [](QPainter &p) { Arrow(p, true, QStringLiteral("i")); }},
        {"acOWord", [](QPainter &p) { Arrow(p, false, QStringLiteral("o")); }},
        {"acGWord", Pulse},
        {"acFuncG", Loop},
        {"acFuncF", [](QPainter &p) { Letter(p, QStringLiteral("F"), QColor(0xD8, 0xF0, 0xD8)); }},
        {"acFuncM", [](QPainter &p) { Letter(p, QStringLiteral("M"), QColor(0xF0, 0xE0, 0xC8)); }},
        {"acFuncP", [](QPainter &p) { Letter(p, QStringLiteral("P"), QColor(0xE0, 0xE0, 0xF8)); }},
        {"acFuncV", [](QPainter &p) { Letter(p, QStringLiteral("V"), QColor(0xF8, 0xD8, 0xE8)); }},
        {"acFuncS", [](QPainter &p) { Letter(p, QStringLiteral("S"), QColor(0xE8, 0xE8, 0xE8)); }},
        {"acViewCNT", Connector},
        {"acComment", Bubble},
        {"acParams", Gear},
        {"acEditQor", Pencil},
        {"acHexEdit", [](QPainter &p) { Letter(p, QStringLiteral("0x"), kPaper); }},
        {"acExit", Door},
    };
    return drawers;
}

} // namespace

QImage ToolImage(std::string_view command, QChar fallbackLetter)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const auto &drawers = Drawers();
    if (const auto it = drawers.find(command); it != drawers.end())
        it->second(p);
    else
        Letter(p, QString(fallbackLetter), kPaper);
    return image;
}

QIcon ToolIcon(std::string_view command, QChar fallbackLetter)
{
    return QIcon(QPixmap::fromImage(ToolImage(command, fallbackLetter)));
}

} // namespace qv::desk
