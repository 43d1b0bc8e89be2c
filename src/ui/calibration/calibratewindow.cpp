#include "ui/calibration/calibratewindow.h"

#include "execution/port/noanswer.h"
#include "execution/port/testerport.h"
#include "execution/run/runcalibration.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/unitcodes.h"
#include "infra/version.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>
#include <cstring>

namespace qv::calibration {
namespace {

constexpr std::size_t kPeriodsAnswer = 12;
constexpr int kStopWaitMs = 2500;
// How often "Старт" looks for the acknowledgement.
constexpr int kPollMs = 20;
constexpr std::array<int, TfmCalibrate::kMeasurements> kSignalCodes{QORV_GET_T1, QORV_GET_T2,
                                                                    QORV_GET_T3};
constexpr std::array<const char *, TfmCalibrate::kMeasurements> kPeriodLabels{
    "Период импульсов T1:", "T2:", "T3:"};
constexpr std::array<const char *, TfmCalibrate::kMeasurements> kUnits{"мкс", "мс", "мс"};
// T2 and T3 are shown in ms, the unit speaks µs.
constexpr std::array<double, TfmCalibrate::kMeasurements> kShownPerUnit{1.0, 0.001, 0.001};

bool NotAvailable(float value)
{
    return std::bit_cast<std::uint32_t>(value) == 0xFFFFFFFFu;
}

} // namespace

std::optional<double> PeriodValue(const QLineEdit &field)
{
    bool ok = false;
    const double value =
        QString(field.text()).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::unique_ptr<TfmCalibrate> TfmCalibrate::Open(Context context, QWidget *parent)
{
    std::unique_ptr<TfmCalibrate> window(new TfmCalibrate(context, parent));
    if (!window->m_session.Ready() || !window->ReadPeriods()) {
        window->m_closed = true;
        return nullptr;
    }
    return window;
}

TfmCalibrate::TfmCalibrate(Context context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_session(context.tester, context.monitor)
{
    setObjectName(QStringLiteral("fmCalibrate"));
    setWindowTitle(QStringLiteral("Настройка частотно-временных параметров"));
    auto *layout = new QVBoxLayout(this);
    for (int m = 0; m < kMeasurements; ++m) {
        const auto at = static_cast<std::size_t>(m);
        auto *group = new QGroupBox(QStringLiteral("Измерение %1").arg(m + 1), this);
        auto *grid = new QGridLayout(group);
        auto *hint = new QLabel(
            QStringLiteral("Подключите осциллограф к контакту A1 разъёма X2, нажмите \"Старт\", "
                           "измерьте период импульсов, введите его и нажмите \"Стоп\"."),
            group);
        hint->setWordWrap(true);
        grid->addWidget(hint, 0, 0, 1, 5);
        grid->addWidget(new QLabel(QString::fromUtf8(kPeriodLabels[at]), group), 1, 0);
        m_fields[at] = new QLineEdit(group);
        grid->addWidget(m_fields[at], 1, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(kUnits[at]), group), 1, 2);
        m_starts[at] = new QPushButton(QStringLiteral("Старт"), group);
        m_starts[at]->setCheckable(true);
        m_stops[at] = new QPushButton(QStringLiteral("Стоп"), group);
        grid->addWidget(m_starts[at], 1, 3);
        grid->addWidget(m_stops[at], 1, 4);
        connect(m_starts[at], &QPushButton::clicked, this, [this, m] { Start(m); });
        connect(m_stops[at], &QPushButton::clicked, this, [this, m] { Stop(m); });
        m_groups[at] = group;
        layout->addWidget(group);
    }
    m_waitLine = new QLabel(
        QStringLiteral("Ожидание ответа блока диагностики... (Esc - прекратить ожидание)"), this);
    m_waitLine->setObjectName(QStringLiteral("lbWait"));
    m_waitLine->hide();
    layout->addWidget(m_waitLine);
    m_waitTimer.setInterval(kPollMs);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] { PollStart(); });
    auto *buttons = new QHBoxLayout;
    m_apply = new QPushButton(QStringLiteral("Применить"), this);
    m_save = new QPushButton(QStringLiteral("Сохранить"), this);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_save);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_apply, &QPushButton::clicked, this, [this] { Send(2); });
    connect(m_save, &QPushButton::clicked, this, [this] { Send(3); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

TfmCalibrate::~TfmCalibrate() = default;

bool TfmCalibrate::ReadPeriods()
{
    const std::uint8_t request[] = {1};
    const auto answer = m_session.Ask(QORV_CALIBR, request);
    if (!answer)
        return false;
    if (answer->size() != kPeriodsAnswer) {
        m_session.WrongAnswer();
        return false;
    }
    for (int m = 0; m < kMeasurements; ++m) {
        const auto at = static_cast<std::size_t>(m);
        const float value = FloatAt(*answer, 4 * at);
        if (NotAvailable(value)) {
            m_fields[at]->clear();
            m_groups[at]->setEnabled(false);
        } else {
            m_fields[at]->setText(QString::number(value * kShownPerUnit[at], 'g', 7));
        }
    }
    return true;
}

void TfmCalibrate::Start(int m)
{
    const auto at = static_cast<std::size_t>(m);
    // The click has toggled the button: it goes down only with the unit's
    // answer, and a held one stays down until "Стоп".
    const bool held = !m_starts[at]->isChecked();
    m_starts[at]->setChecked(held);
    if (held || m_waiting >= 0)
        return;
    const std::uint8_t request[] = {0};
    if (!m_session.Post(kSignalCodes[at], request))
        return;
    // The unit answers once it generates; the button stays down meanwhile.
    m_waiting = m;
    m_waitLimitMs = std::max(1, m_context.tester.Settings().timeout);
    m_waitClock.start();
    m_waitLine->show();
    m_starts[at]->setEnabled(false);
    m_waitTimer.start();
}

void TfmCalibrate::PollStart()
{
    if (m_waiting < 0)
        return;
    const int code = kSignalCodes[static_cast<std::size_t>(m_waiting)];
    if (const auto answer = m_session.Poll(code)) {
        EndWait(*answer);
        return;
    }
    if (m_waitClock.elapsed() < m_waitLimitMs)
        return;
    EndWait(false);
    m_session.TellPortText(NoAnswerText(code, m_waitLimitMs));
}

void TfmCalibrate::EndWait(bool pressed)
{
    if (m_waiting < 0)
        return;
    const auto at = static_cast<std::size_t>(m_waiting);
    m_waitTimer.stop();
    m_waiting = -1;
    m_waitLine->hide();
    m_starts[at]->setEnabled(true);
    m_starts[at]->setChecked(pressed);
}

void TfmCalibrate::CancelWait()
{
    if (m_waiting < 0)
        return;
    const int code = kSignalCodes[static_cast<std::size_t>(m_waiting)];
    EndWait(false);
    // The unit may still start; it is told to stop. A late answer to either
    // is dropped by the port as one nobody waits for.
    const std::uint8_t request[] = {1};
    m_session.Post(code, request);
}

void TfmCalibrate::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_waiting >= 0) {
        CancelWait();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmCalibrate::Stop(int m)
{
    const auto at = static_cast<std::size_t>(m);
    if (m_waiting == m) {
        CancelWait();
        return;
    }
    if (!m_starts[at]->isChecked()) {
        Mesbo().Show(Msg(28), MbInformation, kProductName);
        return;
    }
    const std::uint8_t request[] = {1};
    m_session.Tell(kSignalCodes[at], request, kStopWaitMs);
    m_starts[at]->setChecked(false);
}

void TfmCalibrate::Send(std::uint8_t operation)
{
    if (m_starts[0]->isChecked() || m_starts[1]->isChecked()) {
        Mesbo().Show(Msg(29), MbError, kProductName);
        return;
    }
    std::array<double, kMeasurements> values{};
    std::string report;
    for (int m = 0; m < kMeasurements; ++m) {
        const auto at = static_cast<std::size_t>(m);
        if (!m_groups[at]->isEnabled())
            continue;
        const auto value = PeriodValue(*m_fields[at]);
        values[at] = value.value_or(0);
        if (!value || *value < 0.001)
            report = Msg(32);
    }
    // T1 and T2 are compared only once every value is a usable one.
    if (report.empty() && m_groups[0]->isEnabled() && m_groups[1]->isEnabled() &&
        values[1] * 1000 < values[0])
        report = Msg(33);
    if (!report.empty()) {
        Mesbo().Show(report, MbError, kProductName);
        return;
    }
    std::array<std::uint8_t, 13> request{operation};
    for (int m = 0; m < kMeasurements; ++m) {
        const auto at = static_cast<std::size_t>(m);
        // A measurement the unit does not have goes back as "not
        // available": a 0 would be stored and read as a measured period.
        const float value = m_groups[at]->isEnabled()
                                ? static_cast<float>(values[at] / kShownPerUnit[at])
                                : std::bit_cast<float>(0xFFFFFFFFu);
        PutFloat(request.data() + 1 + 4 * at, value);
    }
    if (!m_session.Tell(QORV_CALIBR, request, kPortDefaultTimeout))
        return;
    Mesbo().Show(Msg(operation == 2 ? 35 : 34), MbInformation, kProductName);
    m_confirmed = true;
}

void TfmCalibrate::done(int result)
{
    CancelWait();
    if (!m_closed && m_confirmed) {
        const auto t1 = PeriodValue(*m_fields[0]);
        const auto t3 = PeriodValue(*m_fields[2]);
        if (t1 && t3) {
            if (const auto timing =
                    IoTimingFromPeriods(static_cast<float>(*t1), static_cast<float>(*t3 * 1000))) {
                m_context.k = timing->k;
                m_context.b = timing->b;
            }
        }
    }
    m_closed = true;
    QDialog::done(result);
}

} // namespace qv::calibration
