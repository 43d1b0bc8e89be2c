#include "ui/calibration/parameterswindow.h"

#include "execution/run/runcalibration.h"
#include "infra/encoding.h"
#include "infra/mesbo.h"
#include "infra/unitcodes.h"
#include "infra/version.h"
#include "ui/calibration/waitwindow.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace qv::calibration {
namespace {

constexpr int kMaxParameters = 50;
constexpr int kBlinkMs = 300;
constexpr std::uint8_t kGenerating = 3;
constexpr int kOscilloscopeShare = 44; // % of the table's width
constexpr int kRealShare = 28;
constexpr int kCellAir = 16; // the cell's margins and a little air

QTableWidgetItem *Cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

std::optional<std::vector<UnitParameter>> ParseParameters(std::span<const std::uint8_t> answer,
                                                          std::string *problem)
{
    const auto fail = [problem](const char *what) {
        if (problem != nullptr)
            *problem = what;
        return std::nullopt;
    };
    if (answer.empty())
        return fail("Calibr::paramCount");
    const int count = answer[0];
    if (count < 1 || count > kMaxParameters)
        return fail("Calibr::paramCount");
    std::vector<UnitParameter> parameters;
    std::size_t at = 1;
    for (int i = 0; i < count; ++i) {
        if (at >= answer.size())
            return fail("Неправильный ответ от блока диагностики");
        const std::size_t length = answer[at++];
        if (length == 0)
            return fail("Calibr::strLen");
        if (at + length + 4 > answer.size())
            return fail("Неправильный ответ от блока диагностики");
        const std::string name(reinterpret_cast<const char *>(answer.data() + at), length);
        at += length;
        parameters.push_back({Cp1251ToUtf8(name), FloatAt(answer, at)});
        at += 4;
    }
    return parameters;
}

std::unique_ptr<TfmCalibrateMk> TfmCalibrateMk::Open(const Context &context, QWidget *parent)
{
    std::unique_ptr<TfmCalibrateMk> window(new TfmCalibrateMk(context, parent));
    if (!window->m_session.Ready() || !window->ReadParameters())
        return nullptr;
    return window;
}

TfmCalibrateMk::TfmCalibrateMk(const Context &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_session(context.tester, context.monitor)
{
    setObjectName(QStringLiteral("fmCalibrate"));
    setWindowTitle(context.caption);
    auto *layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 3, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("параметр"),
                                        QStringLiteral("значение (мкс)\nосциллографа"),
                                        QStringLiteral("значение (мкс)\nреальное")});
    m_table->verticalHeader()->hide();
    // A click starts or stops a signal; no selection would hide the blink.
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_table);
    auto *buttons = new QHBoxLayout;
    m_wait = new QPushButton(QStringLiteral("&Настройка ожидания О-слов"), this);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    buttons->addWidget(m_wait);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    m_blink = new QTimer(this);
    m_blink->setInterval(kBlinkMs);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_blinkOn = !m_blinkOn;
        PaintRow(m_generating, m_blinkOn);
    });
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row) { ClickRow(row); });
    connect(m_wait, &QPushButton::clicked, this, [this] { OpenWaitWindow(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 360);
}

void TfmCalibrateMk::FitColumns()
{
    const int width = m_table->viewport()->width();
    m_table->setColumnWidth(1, width * kOscilloscopeShare / 100);
    m_table->setColumnWidth(2, width * kRealShare / 100);
    m_table->setColumnWidth(0, width - m_table->columnWidth(1) - m_table->columnWidth(2));
}

int TfmCalibrateMk::NeededTableWidth() const
{
    const QFontMetrics header(m_table->horizontalHeader()->font());
    const QFontMetrics cells(m_table->font());
    std::array<int, 3> needs{};
    for (int col = 0; col < 3; ++col) {
        const auto at = static_cast<std::size_t>(col);
        if (const QTableWidgetItem *item = m_table->horizontalHeaderItem(col))
            for (const QString &line : item->text().split(QLatin1Char('\n')))
                needs[at] = std::max(needs[at], header.horizontalAdvance(line) + kCellAir);
        for (int row = 0; row < m_table->rowCount(); ++row)
            if (const QTableWidgetItem *item = m_table->item(row, col))
                needs[at] = std::max(needs[at], cells.horizontalAdvance(item->text()) + kCellAir);
    }
    const int nameShare = 100 - kOscilloscopeShare - kRealShare;
    return std::max({needs[0] * 100 / nameShare, needs[1] * 100 / kOscilloscopeShare,
                     needs[2] * 100 / kRealShare}) +
           1;
}

void TfmCalibrateMk::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FitColumns();
}

void TfmCalibrateMk::showEvent(QShowEvent *event)
{
    // The texts are known now: the window grows when a share would cut them.
    const int missing = NeededTableWidth() - m_table->viewport()->width();
    if (missing > 0)
        resize(width() + missing, height());
    QDialog::showEvent(event);
    FitColumns();
}

TfmCalibrateMk::~TfmCalibrateMk() = default;

bool TfmCalibrateMk::ReadParameters()
{
    const std::uint8_t request[] = {1};
    const auto answer = m_session.Ask(QORV_CALIBR, request);
    if (!answer)
        return false;
    std::string problem;
    const auto parameters = ParseParameters(*answer, &problem);
    if (!parameters) {
        Mesbo().Show(problem, MbError, kProductName);
        return false;
    }
    m_table->setRowCount(static_cast<int>(parameters->size()));
    const float first = parameters->front().value;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const UnitParameter &p = (*parameters)[static_cast<std::size_t>(row)];
        // From the third row on the oscilloscope sees twice the value plus
        // the first parameter's time.
        const float shown = row < 2 ? p.value : p.value * 2 + first;
        m_table->setItem(row, 0, Cell(QString::fromStdString(p.name)));
        m_table->setItem(row, 1, Cell(QString::number(shown, 'f', 2)));
        m_table->setItem(row, 2, Cell(QString::number(p.value, 'f', 2)));
    }
    return true;
}

void TfmCalibrateMk::ClickRow(int row)
{
    const bool same = row == m_generating;
    StopGenerating();
    if (same)
        return;
    const std::uint8_t request[] = {2, static_cast<std::uint8_t>(row)};
    const auto answer = m_session.Ask(QORV_CALIBR, request);
    if (answer && answer->size() == 1 && answer->front() == kGenerating) {
        m_generating = row;
        m_blinkOn = true;
        PaintRow(row, true);
        m_blink->start();
    }
}

void TfmCalibrateMk::StopGenerating()
{
    if (m_generating < 0)
        return;
    m_blink->stop();
    PaintRow(m_generating, false);
    m_generating = -1;
    m_blinkOn = false;
    const std::uint8_t request[] = {4};
    m_session.Ask(QORV_CALIBR, request);
}

void TfmCalibrateMk::PaintRow(int row, bool highlighted)
{
    if (row < 0 || row >= m_table->rowCount())
        return;
    for (int col = 0; col < m_table->columnCount(); ++col)
        if (QTableWidgetItem *item = m_table->item(row, col))
            item->setBackground(highlighted ? QBrush(Qt::yellow) : QBrush());
}

void TfmCalibrateMk::OpenWaitWindow()
{
    StopGenerating();
    TfmConfigOWait wait(m_session, m_context.clbPath, m_context.maxWidth, windowTitle(), this);
    wait.move(frameGeometry().topLeft());
    wait.exec();
}

void TfmCalibrateMk::done(int result)
{
    StopGenerating();
    QDialog::done(result);
}

} // namespace qv::calibration
