#include "ui/desk/statuspicture.h"

#include "execution/threads/postcall.h"
#include "infra/mesbo.h"
#include "infra/version.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <map>

namespace qv::desk {
namespace {

constexpr int kPictureSize = 20;

enum class Mark { Cross, Tick, Question, Hourglass, Antenna };

// A disc (the MS-DOS unit) or a chip (the "МК" unit) in the state's colour
// with the state's mark inside.
QImage Draw(const QColor &fill, Mark mark, bool chip)
{
    QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(fill.darker(170), 1));
    p.setBrush(fill);
    if (chip) {
        p.drawRoundedRect(QRectF(3.5, 3.5, 13, 13), 2, 2);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        for (int i = 6; i <= 14; i += 4) {
            p.drawLine(i, 0, i, 3);
            p.drawLine(i, 17, i, 20);
            p.drawLine(0, i, 3, i);
            p.drawLine(17, i, 20, i);
        }
    } else {
        p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
    }
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (mark) {
    case Mark::Cross:
        p.drawLine(QPointF(7, 7), QPointF(13, 13));
        p.drawLine(QPointF(13, 7), QPointF(7, 13));
        break;
    case Mark::Tick: {
        const QPointF tick[] = {{6, 10.5}, {9, 13.5}, {14, 7}};
        p.drawPolyline(tick, 3);
        break;
    }
    case Mark::Question:
        p.drawArc(QRectF(7, 5, 6, 5), 0, 180 * 16);
        p.drawLine(QPointF(13, 7.5), QPointF(10, 11));
        p.drawPoint(QPointF(10, 14.5));
        break;
    case Mark::Hourglass: {
        const QPointF glass[] = {{7, 6}, {13, 6}, {7, 14}, {13, 14}, {7, 6}};
        p.setPen(QPen(Qt::white, 1.6));
        p.drawPolyline(glass, 5);
        break;
    }
    case Mark::Antenna:
        p.drawLine(QPointF(10, 8), QPointF(10, 15));
        p.drawArc(QRectF(6, 4, 8, 8), 30 * 16, 120 * 16);
        p.drawPoint(QPointF(10, 8));
        break;
    }
    return image;
}

const std::map<std::string, QImage> &Pictures()
{
    static const std::map<std::string, QImage> pictures = [] {
        const QColor red(0xC8, 0x20, 0x20), green(0x20, 0x98, 0x30), yellow(0xD8, 0xA8, 0x00),
            orange(0xE0, 0x70, 0x10), blue(0x20, 0x50, 0xC0);
        return std::map<std::string, QImage>{
            {"STATUS_ERR", Draw(red, Mark::Cross, false)},
            {"STATUS_OK", Draw(green, Mark::Tick, false)},
            {"STATUS_CHECK", Draw(yellow, Mark::Question, false)},
            {"STATUS_WAIT", Draw(orange, Mark::Hourglass, false)},
            {"STATUS_MK_ERR", Draw(red, Mark::Cross, true)},
            {"STATUS_MK_OK", Draw(green, Mark::Tick, true)},
            {"STATUS_MK_CHECK", Draw(yellow, Mark::Question, true)},
            {"STATUS_MK_WAIT", Draw(orange, Mark::Hourglass, true)},
            {"STATUS_REMOTE", Draw(blue, Mark::Antenna, false)},
        };
    }();
    return pictures;
}

} // namespace

QImage StatusImage(const std::string &resource)
{
    const auto &pictures = Pictures();
    const auto it = pictures.find(resource);
    return it == pictures.end() ? QImage() : it->second;
}

StatusRelay::StatusRelay(QObject *parent)
    : QObject(parent)
{}

void StatusRelay::ShowStatusPicture(const StatusPicture &picture)
{
    const UnitStatus code = picture.code;
    const QString resource = QString::fromStdString(picture.resource);
    const QString hint = QString::fromStdString(picture.hint);
    // Queued even on the main thread, so the order of pictures is the order
    // of the calls.
    PostCall(this, [this, code, resource, hint] { emit PictureChanged(code, resource, hint); });
}

void StatusRelay::CalibrationCaptionChanged(const std::string &caption)
{
    const QString text = QString::fromStdString(caption);
    PostCall(this, [this, text] { emit CalibrationCaptionRelayed(text); });
}

void StatusRelay::UnitStatusChanged(UnitStatus code)
{
    PostCall(this, [this, code] { emit UnitStatusRelayed(code); });
}

StatusHintWindow::StatusHintWindow(QWidget *parent)
    : QLabel(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("StatusHint"));
    setWordWrap(true);
    setMaximumWidth(kMaxWidth);
    setMargin(4);
    setStyleSheet(QStringLiteral("QLabel { color: #000080; background: #FFFFE1; border: 1px "
                                 "solid #808080; }"));
}

void StatusHintWindow::ShowAt(const QWidget &anchor, const QString &text)
{
    setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    setFixedWidth(std::min(kMaxWidth, sizeHint().width()));
    adjustSize();
    const QRect frame = anchor.frameGeometry();
    // Its bottom row 7 pixels above the anchor's bottom row.
    move(frame.left() + 3, frame.bottom() - 7 - height() + 1);
    show();
    raise();
}

StatusPictureLabel::StatusPictureLabel(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("imStatus"));
    setFixedSize(kPictureSize + 4, kPictureSize + 4);
    setAlignment(Qt::AlignCenter);
}

bool StatusPictureLabel::SetPicture(UnitStatus code, const QString &resource, const QString &hint)
{
    m_code = code;
    m_hint = hint;
    if (m_hintWindow && m_hintWindow->isVisible())
        m_hintWindow->ShowAt(*window(), m_hint);
    if (resource.isEmpty()) { // nothing polled yet
        setPixmap(QPixmap());
        return true;
    }
    const QImage image = StatusImage(resource.toStdString());
    if (image.isNull()) {
        setPixmap(QPixmap());
        Mesbo().Show(ResourceLoadFailure(resource.toStdString()), MbError, kProductName);
        return false;
    }
    setPixmap(QPixmap::fromImage(image));
    return true;
}

void StatusPictureLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    if (m_hint.isEmpty())
        return;
    if (!m_hintWindow)
        m_hintWindow = new StatusHintWindow(this);
    m_hintWindow->ShowAt(*window(), m_hint);
}

void StatusPictureLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (m_hintWindow)
        m_hintWindow->hide();
}

} // namespace qv::desk
