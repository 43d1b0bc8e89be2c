#include "ui/probe/scowindow.h"

#include "paint/oscillogram/oscillogram.h"

#include <QByteArray>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::probe {
namespace {

// Where the window stood when it was closed last, for the next one.
QByteArray &RememberedGeometry()
{
    static QByteArray geometry;
    return geometry;
}

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString Css(std::uint32_t bgr)
{
    const QColor colour(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    return QStringLiteral("color: %1;").arg(colour.name());
}

} // namespace

TfmSco::TfmSco(const LiveStart &start, const OscillogramColours &colours, QWidget *parent)
    : QDialog(parent)
    , m_firstCycle(std::clamp(start.cycle, 0, kVCycles - 1))
    , m_colours(colours)
    , m_image(oscillogram::kPictureSize, oscillogram::kPictureSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("fmSco"));
    setWindowTitle(QStringLiteral("Осциллограмма"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_shown.Number = start.number;
    m_shown.Name = start.name;
    m_shown.Sweep.fill(start.sweep);
    m_shown.Scale.fill(start.scale);
    m_shown.Reference[static_cast<std::size_t>(m_firstCycle)] = start.reference;

    auto *layout = new QVBoxLayout(this);
    m_function = new QLabel(QStringLiteral("Функция: V%1: \"%2\"")
                                .arg(start.number)
                                .arg(QString::fromStdString(start.name)),
                            this);
    m_function->setObjectName(QStringLiteral("lbFunction"));
    m_cycle = new QLabel(QStringLiteral("Цикл: %1").arg(start.cycle + 1), this);
    m_cycle->setObjectName(QStringLiteral("lbCycle"));
    m_sweep = new QLabel(Utf8(SweepText(start.sweep)), this);
    m_sweep->setObjectName(QStringLiteral("lbSweep"));
    m_amplitude = new QLabel(Utf8(AmplitudeText(start.scale)) + QStringLiteral("В"), this);
    m_amplitude->setObjectName(QStringLiteral("lbAmplitude"));
    auto *header = new QGridLayout;
    header->addWidget(m_function, 0, 0, 1, 2);
    header->addWidget(m_cycle, 1, 0);
    header->addWidget(m_sweep, 1, 1);
    header->addWidget(m_amplitude, 1, 2);
    layout->addLayout(header);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("pbOscillogram"));
    m_picture->setFixedSize(oscillogram::kPictureSize, oscillogram::kPictureSize);
    layout->addWidget(m_picture);
    const oscillogram::DivisionLabels labels = oscillogram::LabelsFor(start.sweep, start.scale);
    m_sweepDivision = new QLabel(labels.sweep, this);
    m_amplitudeDivision = new QLabel(labels.amplitude, this);
    auto *divisions = new QHBoxLayout;
    divisions->addWidget(m_sweepDivision);
    divisions->addWidget(m_amplitudeDivision);
    layout->addLayout(divisions);

    auto *bottom = new QHBoxLayout;
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lbStatus"));
    SetStatus(QStringLiteral("данных нет"), 0);
    m_infoButton = new QPushButton(QStringLiteral(">"), this);
    m_infoButton->setObjectName(QStringLiteral("btInfo"));
    m_infoButton->setFixedWidth(28);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_infoButton);
    layout->addLayout(bottom);
    m_info = new QPlainTextEdit(QString::fromStdString(start.info), this);
    m_info->setObjectName(QStringLiteral("meInfo"));
    m_info->setReadOnly(true);
    m_info->hide();
    layout->addWidget(m_info);
    connect(m_infoButton, &QPushButton::clicked, this, [this] {
        const bool show = m_info->isHidden();
        m_info->setVisible(show);
        m_infoButton->setText(show ? QStringLiteral("<") : QStringLiteral(">"));
        adjustSize();
    });
    if (!RememberedGeometry().isEmpty())
        restoreGeometry(RememberedGeometry());
    Redraw();
}

void TfmSco::SetStatus(const QString &text, std::uint32_t bgr)
{
    m_statusColour = bgr;
    m_status->setText(text);
    m_status->setStyleSheet(Css(bgr));
}

void TfmSco::Redraw()
{
    QPainter painter(&m_image);
    oscillogram::SDrawDiag request;
    request.function = &m_shown;
    request.cycle = m_firstCycle;
    oscillogram::Draw(painter, request, m_colours);
    painter.end();
    m_picture->setPixmap(QPixmap::fromImage(m_image));
}

void TfmSco::BlockReceived(int cycle, const Waveform &samples)
{
    if (cycle == m_firstCycle)
        m_shown.Captured[static_cast<std::size_t>(m_firstCycle)] =
            std::make_shared<const Waveform>(samples);
    Redraw();
    SetStatus(QStringLiteral("съём"), kStatusColours[m_blocks % 2]);
    ++m_blocks;
}

void TfmSco::CapturesDone(int captures)
{
    SetStatus(QStringLiteral("Съёмов: %1").arg(captures), 0);
}

void TfmSco::closeEvent(QCloseEvent *event)
{
    RememberedGeometry() = saveGeometry();
    QDialog::closeEvent(event);
}

} // namespace qv::probe
