#include "ui/results/serialprompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::results_ui {

namespace {

// Longer than any serial number; a scanner that sends garbage stops here.
constexpr int kMaxSerialLength = 64;

} // namespace

SerialPrompt::SerialPrompt(QWidget *parent)
    : QDialog(parent)
    , m_field(new QLineEdit(this))
{
    setObjectName(QStringLiteral("fmSerial"));
    setWindowTitle(QString::fromUtf8(kTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(kTitle) + QLatin1Char(':'), this));
    m_field->setObjectName(QStringLiteral("edSerial"));
    m_field->setMaxLength(kMaxSerialLength);
    m_field->setMinimumWidth(260);
    layout->addWidget(m_field);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btOk"));
    ok->setDefault(true);
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_field->setFocus();
}

std::string SerialPrompt::Serial() const
{
    return m_field->text().trimmed().toStdString();
}

std::optional<std::string> AskSerialNumber(QWidget *parent)
{
    SerialPrompt prompt(parent);
    if (prompt.exec() != QDialog::Accepted)
        return std::nullopt;
    return prompt.Serial();
}

} // namespace qv::results_ui
