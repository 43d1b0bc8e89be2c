#include "ui/calibration/wiringpicture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace qv::calibration {
namespace {

constexpr QSize kSize{176, 88};
const QColor kWire{0x20, 0x20, 0x20};
const QColor kScreen{0x10, 0x40, 0x10};
const QColor kTrace{0x60, 0xFF, 0x60};
const QColor kConnector{0xC8, 0xC8, 0xC8};

// The connector with its contact A1.
void DrawConnector(QPainter &p, const QRect &box)
{
    p.setPen(QPen(kWire, 1));
    p.setBrush(kConnector);
    p.drawRect(box);
    p.drawText(box.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("X2"));
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(box.right() - 6, box.center().y() + 8), 3, 3);
    p.drawText(QRect(box.left(), box.center().y() + 2, box.width() - 12, 14), Qt::AlignCenter,
               QStringLiteral("A1"));
}

// A signal of `pulses` periods; `held` widens every high half by the wait.
QPainterPath Signal(const QRect &area, int pulses, bool held)
{
    QPainterPath path;
    const int low = area.bottom() - 4;
    const int high = area.top() + 4;
    const double period = static_cast<double>(area.width() - 4) / pulses;
    const double highPart = held ? period * 0.7 : period * 0.5;
    double x = area.left() + 2;
    path.moveTo(x, low);
    for (int i = 0; i < pulses; ++i) {
        path.lineTo(x, high);
        path.lineTo(x + highPart, high);
        path.lineTo(x + highPart, low);
        path.lineTo(x + period, low);
        x += period;
    }
    return path;
}

// The oscilloscope with the signal on its screen.
void DrawOscilloscope(QPainter &p, const QRect &box, WaitTest test)
{
    p.setPen(QPen(kWire, 1));
    p.setBrush(QColor(0xE0, 0xE0, 0xE0));
    p.drawRoundedRect(box, 4, 4);
    const QRect screen = box.adjusted(6, 6, -6, -22);
    p.setBrush(kScreen);
    p.drawRect(screen);
    p.setPen(QPen(kTrace, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(
        Signal(screen, test == WaitTest::Meander ? 4 : 3, test == WaitTest::MeanderWithWord));
    p.setPen(kWire);
    p.drawText(QRect(box.left(), screen.bottom() + 3, box.width(), 16), Qt::AlignCenter,
               QStringLiteral("осциллограф"));
}

} // namespace

QPixmap WiringPicture(WaitTest test)
{
    QPixmap picture(kSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    const QRect connector(2, 20, 34, 44);
    DrawConnector(p, connector);
    const QRect scope(70, 4, kSize.width() - 72, kSize.height() - 8);
    DrawOscilloscope(p, scope, test);
    // The probe's wire from A1 to the oscilloscope's input.
    const QPoint contact(connector.right() - 6, connector.center().y() + 8);
    const QPoint input(scope.left(), scope.bottom() - 12);
    p.setPen(QPen(kWire, 1.5));
    QPainterPath wire(contact);
    wire.cubicTo(QPointF(contact.x() + 24, contact.y()), QPointF(input.x() - 24, input.y()), input);
    p.drawPath(wire);
    return picture;
}

} // namespace qv::calibration
