#include "ui/run/activityanimation.h"

#include <QPainter>
#include <QPainterPath>

namespace qv::run {

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 56;

void DrawComputer(QPainter &p, const QRectF &box)
{
    const QRectF screen(box.left(), box.top(), box.width(), box.height() * 0.7);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(220, 224, 230));
    p.drawRoundedRect(screen, 3, 3);
    p.setBrush(QColor(40, 70, 120));
    p.drawRect(screen.adjusted(4, 4, -4, -4));
    const double footTop = screen.bottom();
    p.setBrush(QColor(180, 184, 190));
    p.drawRect(QRectF(box.center().x() - 3, footTop, 6, box.height() * 0.15));
    p.drawRect(QRectF(box.center().x() - box.width() * 0.3, box.bottom() - box.height() * 0.15,
                      box.width() * 0.6, box.height() * 0.15));
}

void DrawUnit(QPainter &p, const QRectF &box, bool busy)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(200, 196, 170));
    p.drawRoundedRect(box, 3, 3);
    // The connector rows of the unit.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    for (int row = 0; row < 3; ++row)
        for (int pin = 0; pin < 6; ++pin)
            p.drawRect(QRectF(box.left() + 6 + pin * (box.width() - 12) / 6.0,
                              box.top() + 6 + row * 6, 3, 3));
    p.setBrush(busy ? QColor(40, 200, 60) : QColor(60, 100, 60));
    p.drawEllipse(QPointF(box.right() - 8, box.bottom() - 8), 3.5, 3.5);
}

} // namespace

ActivityAnimation::ActivityAnimation(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PUSK"));
    setMinimumSize(kWidth, kHeight);
    m_timer.setInterval(kStepMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { Step(); });
}

QSize ActivityAnimation::sizeHint() const
{
    return {kWidth, kHeight};
}

void ActivityAnimation::SetMode(int mode)
{
    const Mode next = (mode == Running || mode == Receiving) ? static_cast<Mode>(mode) : Idle;
    if (next == m_mode)
        return;
    m_mode = next;
    m_phase = 0;
    UpdateTimer();
    update();
}

void ActivityAnimation::Step()
{
    m_phase = (m_phase + 1) % kPhases;
    update();
}

void ActivityAnimation::UpdateTimer()
{
    if (m_mode != Idle && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

void ActivityAnimation::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    UpdateTimer();
}

void ActivityAnimation::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}

void ActivityAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double h = height() - 8;
    const QRectF computer(4, 4, h * 1.2, h);
    const QRectF unit(width() - 4 - h * 1.3, 4 + h * 0.15, h * 1.3, h * 0.7);
    DrawComputer(p, computer);
    DrawUnit(p, unit, m_mode != Idle);

    // The cable.
    const double y = unit.center().y();
    const double from = computer.right() + 4;
    const double to = unit.left() - 4;
    p.setPen(QPen(QColor(120, 120, 120), 2));
    p.drawLine(QPointF(from, y), QPointF(to, y));
    if (m_mode == Idle)
        return;

    // Dots travel along the cable, towards the unit while the test runs and
    // back while the results come in.
    const QColor colour = m_mode == Running ? QColor(30, 90, 220) : QColor(20, 160, 60);
    p.setPen(Qt::NoPen);
    constexpr int kDots = 4;
    const double span = to - from;
    for (int i = 0; i < kDots; ++i) {
        double t = (m_phase + i * (kPhases / static_cast<double>(kDots))) / kPhases;
        t -= static_cast<int>(t);
        const double x = m_mode == Running ? from + t * span : to - t * span;
        p.setBrush(colour);
        p.drawEllipse(QPointF(x, y), 4, 4);
    }
}

} // namespace qv::run
