#include "ui/run/mprogresswindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <map>

namespace qv::run {

namespace {

constexpr int kPictureSize = 16;
constexpr int kPictureRole = Qt::UserRole + 1;

QImage DrawPicture(int index)
{
    QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, kPictureSize - 3, kPictureSize - 3);
    if (index == 1) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 40, 40));
        p.drawEllipse(box);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    } else if (index == 2) {
        p.setPen(QPen(QColor(130, 130, 130), 1.5));
        p.setBrush(QColor(235, 235, 235));
        p.drawEllipse(box);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 160, 60));
        p.drawEllipse(box);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(4.5, 8.5), QPointF(7, 11));
        p.drawLine(QPointF(7, 11), QPointF(11.5, 5));
    }
    return image;
}

} // namespace

QImage AlgorithmStatusPicture(int index)
{
    static std::map<int, QImage> drawn;
    const int key = (index == 1 || index == 2) ? index : 0;
    auto it = drawn.find(key);
    if (it == drawn.end())
        it = drawn.emplace(key, DrawPicture(key)).first;
    return it->second;
}

TfmMProgress::TfmMProgress(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("fmMProgress"));
    setWindowTitle(QString::fromUtf8(kCaption));
    auto *layout = new QVBoxLayout(this);
    m_function = new QLabel(this);
    m_function->setObjectName(QStringLiteral("lbFunction"));
    layout->addWidget(m_function);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lvAlgorithms"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setIconSize(QSize(kPictureSize, kPictureSize));
    layout->addWidget(m_list);
    resize(260, 200);
}

void TfmMProgress::ShowProgress(const MFunctionProgress &progress)
{
    if (progress.row < 0) {
        m_function->setText(
            QStringLiteral("Тест %1, M%2").arg(progress.test).arg(progress.mFunction));
        m_list->clear();
        for (const std::string &name : progress.algorithms) {
            auto *item = new QListWidgetItem(QPixmap::fromImage(AlgorithmStatusPicture(2)),
                                             QString::fromStdString(name), m_list);
            item->setData(kPictureRole, 2);
        }
        return;
    }
    QListWidgetItem *item = m_list->item(progress.row);
    if (item == nullptr)
        return;
    item->setIcon(QPixmap::fromImage(AlgorithmStatusPicture(progress.picture)));
    item->setData(kPictureRole, progress.picture);
}

void TfmMProgress::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfmMProgress::KeepBeside(const QWidget &anchor)
{
    const QRect frame = anchor.frameGeometry();
    const QScreen *screen = anchor.screen() ? anchor.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    const int width = frameGeometry().width();
    int x = frame.right() + 1;
    if (x + width - 1 > area.right())
        x = frame.left() - width;
    move(x, frame.top());
}

int TfmMProgress::RowCount() const
{
    return m_list->count();
}

QString TfmMProgress::RowText(int row) const
{
    const QListWidgetItem *item = m_list->item(row);
    return item ? item->text() : QString();
}

int TfmMProgress::RowPicture(int row) const
{
    const QListWidgetItem *item = m_list->item(row);
    return item ? item->data(kPictureRole).toInt() : -1;
}

} // namespace qv::run
