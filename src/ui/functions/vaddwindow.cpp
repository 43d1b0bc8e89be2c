#include "ui/functions/vaddwindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/functions/funcv.h"
#include "ui/debug/okcancel.h"
#include "ui/functions/vtexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qv::functions {

TfmAddFuncV::TfmAddFuncV(TFuncV &list, int tactCount, QWidget *parent)
    : QDialog(parent)
    , m_list(list)
    , m_tactCount(tactCount)
{
    setObjectName(QStringLiteral("fmAddFuncV"));
    setWindowTitle(QStringLiteral("Добавление новой V-функции"));
    m_name = new QLineEdit(this);
    m_sweep = new QComboBox(this);
    m_sweep->addItems(SweepChoices());
    m_sweep->setCurrentIndex(-1);
    m_amplitude = new QComboBox(this);
    m_amplitude->addItems(AmplitudeChoices(QStringLiteral(".")));
    m_amplitude->setCurrentIndex(-1);
    m_tact = new QLineEdit(this);
    m_tact->setPlaceholderText(QStringLiteral("1 - %1").arg(tactCount));
    m_number = new QSpinBox(this);
    m_number->setRange(0, kMaxVFunctions);
    m_number->setSpecialValueText(QStringLiteral(" "));
    m_number->setValue(list.LowestFreeNumber().value_or(0));
    m_free = new QLabel(QString::fromStdString(list.FreeNumbersText()), this);
    m_info = new QPlainTextEdit(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Имя функции:"), m_name);
    form->addRow(QStringLiteral("Развертка:"), m_sweep);
    form->addRow(QStringLiteral("Амплитуда сигнала:"), m_amplitude);
    form->addRow(QStringLiteral("Номер такта:"), m_tact);
    form->addRow(QStringLiteral("Номер функции:"), m_number);
    form->addRow(QString(), m_free);
    form->addRow(QStringLiteral("Информация:"), m_info);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    m_ok = debug::AddOkCancel(this, layout);
    connect(m_ok, &QPushButton::clicked, this, [this] { TryAdd(); });
}

void TfmAddFuncV::TryAdd()
{
    SVFuncInput input;
    input.Name = m_name->text().trimmed().toStdString();
    if (m_sweep->currentIndex() >= 0)
        input.Sweep = m_sweep->currentIndex();
    if (m_amplitude->currentIndex() >= 0)
        input.Amplitude = m_amplitude->currentIndex();
    bool isNumber = false;
    const int tact = m_tact->text().trimmed().toInt(&isNumber);
    if (isNumber)
        input.Tact = tact;
    if (m_number->value() > 0)
        input.Number = m_number->value();
    input.Info = ToStoredLines(m_info->toPlainText());
    std::string refusal;
    if (!m_list.AddFunction(input, m_tactCount, &refusal)) {
        if (!refusal.empty())
            Mesbo().Show(refusal, MbError, kProductName);
        return;
    }
    m_added = *input.Number;
    accept();
}

} // namespace qv::functions
