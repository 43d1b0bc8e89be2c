#include "ui/desk/closingwindow.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace qv::desk {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 70;
constexpr int kDots = 8;

} // namespace

ClosingWindow::ClosingWindow(QWidget *parent, QString text)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_text(std::move(text))
{
    setObjectName(QStringLiteral("fmClosing"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kWidth, kHeight);
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kDots;
        update();
    });
}

void ClosingWindow::ShowNow()
{
    if (QWidget *owner = parentWidget())
        move(owner->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
    show();
    m_timer->start();
    repaint();
    QCoreApplication::processEvents();
}

void ClosingWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // A ring of dots, one of them lit, going round.
    const QPointF centre(35, kHeight / 2.0);
    for (int i = 0; i < kDots; ++i) {
        const double angle = 2 * M_PI * i / kDots;
        const QPointF at = centre + QPointF(std::cos(angle) * 14, std::sin(angle) * 14);
        const bool lit = i == m_step;
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? QColor(0x20, 0x50, 0xC0) : QColor(0xC0, 0xC8, 0xD8));
        p.drawEllipse(at, lit ? 4.0 : 3.0, lit ? 4.0 : 3.0);
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(65, 0, kWidth - 70, kHeight), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

} // namespace qv::desk
