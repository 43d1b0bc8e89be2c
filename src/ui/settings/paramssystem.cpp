// The settings window's page "Система": the tester port's settings, the
// probe thresholds and the unit's link buttons.

#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/settings/paramswindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qv::settings {
namespace {

const char *const kRetryHint = "При отсутствии ответа на команду, запрос будет повторяться";

QString Text(std::string_view key)
{
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

QCheckBox *HintedBox(std::string_view key, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(Text(key), parent);
    box->setChecked(checked);
    box->setToolTip(QString::fromUtf8(kRetryHint));
    return box;
}

QSpinBox *NumberField(int minimum, int maximum, int step, int value, QWidget *parent)
{
    auto *field = new QSpinBox(parent);
    field->setRange(minimum, maximum);
    field->setSingleStep(step);
    field->setValue(value);
    if (auto *edit = field->findChild<QLineEdit *>())
        edit->setMaxLength(5);
    return field;
}

QComboBox *ThresholdList(QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->addItems({QStringLiteral("0.8В"), QStringLiteral("2.0В"), QStringLiteral("5.0В"),
                    QStringLiteral("10.0В")});
    return list;
}

} // namespace

QWidget *TfmParams::BuildSystemPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_showConnectError = HintedBox(TCP::kKeyShowConnectError, m_tester.showConnectError != 0, page);
    m_ioCheck = HintedBox(TCP::kKeyIoCheck, m_tester.ioCheck != 0, page);
    layout->addWidget(m_showConnectError);
    layout->addWidget(m_ioCheck);

    auto *timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(new QLabel(Text(TCP::kKeyTimeout) + QLatin1Char(':'), page));
    // The port raises a time-out below 1000 ms to 1000: the field offers
    // no lower.
    m_timeout = NumberField(1000, 2000, 100, m_tester.timeout, page);
    m_timeout->setObjectName(QStringLiteral("seTimeout"));
    timeoutRow->addWidget(m_timeout);
    timeoutRow->addWidget(new QLabel(QStringLiteral("(мс)"), page));
    timeoutRow->addStretch();
    layout->addLayout(timeoutRow);

    m_polling = HintedBox(TCP::kKeyPolling, m_tester.polling != 0, page);
    layout->addWidget(m_polling);
    auto *periodRow = new QHBoxLayout;
    periodRow->addSpacing(20);
    periodRow->addWidget(new QLabel(Text(TCP::kKeyPollPeriod), page));
    m_period = NumberField(2, 60, 1, m_tester.pollPeriod, page);
    m_period->setObjectName(QStringLiteral("sePeriod"));
    periodRow->addWidget(m_period);
    periodRow->addStretch();
    layout->addLayout(periodRow);
    connect(m_polling, &QCheckBox::toggled, this, [this] { UpdateSystemEnabled(); });

    m_probeGroup = new QWidget(page);
    auto *probe = new QGridLayout(m_probeGroup);
    probe->setContentsMargins(0, 0, 0, 0);
    probe->addWidget(new QLabel(Text(TCP::kKeyProbeMode) + QLatin1Char(':'), m_probeGroup), 0, 0);
    m_probeMode = new QComboBox(m_probeGroup);
    m_probeMode->addItems({QStringLiteral("TTL"), QStringLiteral("DTL"), QStringLiteral("ручной")});
    probe->addWidget(m_probeMode, 0, 1);
    probe->addWidget(new QLabel(QStringLiteral("Нижний порог:"), m_probeGroup), 1, 0);
    m_lower = ThresholdList(m_probeGroup);
    probe->addWidget(m_lower, 1, 1);
    probe->addWidget(new QLabel(QStringLiteral("Верхний порог:"), m_probeGroup), 2, 0);
    m_upper = ThresholdList(m_probeGroup);
    probe->addWidget(m_upper, 2, 1);
    probe->setColumnStretch(2, 1);
    layout->addWidget(m_probeGroup);
    m_probeGroup->setVisible(!m_dosUnit);
    ShowProbeChoice(ProbeChoiceFromPattern(m_tester.probeMode));
    connect(m_probeMode, &QComboBox::currentIndexChanged, this, [this] { UpdateSystemEnabled(); });

    auto *model =
        new QLabel(QStringLiteral("Модель системы диагностики: ") +
                       (m_modelW5 ? QStringLiteral("W5") : QStringLiteral("с контролем токов")),
                   page);
    model->setObjectName(QStringLiteral("lbSystemModel"));
    layout->addWidget(model);

    auto *buttons = new QHBoxLayout;
    m_checkLink = new QPushButton(QStringLiteral("Проверить связь"), page);
    m_reboot = new QPushButton(QStringLiteral("Перезагрузка"), page);
    buttons->addWidget(m_checkLink);
    buttons->addWidget(m_reboot);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(m_checkLink, &QPushButton::clicked, this, [this] {
        if (m_unitActions.checkLink)
            m_unitActions.checkLink();
    });
    connect(m_reboot, &QPushButton::clicked, this, [this] {
        if (m_unitActions.reboot)
            m_unitActions.reboot();
    });
    UpdateSystemEnabled();
    return page;
}

void TfmParams::ShowProbeChoice(const ProbeChoice &choice)
{
    m_probeMode->setCurrentIndex(static_cast<int>(choice.mode));
    m_lower->setCurrentIndex(choice.lower);
    m_upper->setCurrentIndex(choice.upper);
}

ProbeChoice TfmParams::ProbeChoiceShown() const
{
    return {static_cast<ProbeMode>(m_probeMode->currentIndex()), m_lower->currentIndex(),
            m_upper->currentIndex()};
}

void TfmParams::UpdateSystemEnabled()
{
    m_period->setEnabled(m_polling->isChecked());
    const bool manual = m_probeMode->currentIndex() == static_cast<int>(ProbeMode::Manual);
    m_lower->setEnabled(manual);
    m_upper->setEnabled(manual);
}

bool TfmParams::CheckThresholds()
{
    if (m_dosUnit)
        return true;
    const ProbeChoice choice = ProbeChoiceShown();
    const char *problem = ProbeChoiceProblem(choice);
    if (problem == nullptr)
        return true;
    QWidget *field = choice.lower < 0 || choice.upper >= 0 ? m_lower : m_upper;
    m_pages->setCurrentIndex(PageSystem);
    Mesbo().Show(problem, MbError, kProductName);
    field->setFocus();
    return false;
}

void TfmParams::TakeSystem()
{
    m_tester.polling = m_polling->isChecked() ? 1 : 0;
    m_tester.pollPeriod = m_period->value();
    m_tester.timeout = m_timeout->value();
    m_tester.showConnectError = m_showConnectError->isChecked() ? 1 : 0;
    m_tester.ioCheck = m_ioCheck->isChecked() ? 1 : 0;
    m_tester.address = m_address->currentText().trimmed().toStdString();
    if (!m_dosUnit)
        m_tester.probeMode = PatternFromProbeChoice(ProbeChoiceShown());
}

} // namespace qv::settings
