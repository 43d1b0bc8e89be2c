#include "ui/functions/functionwindow.h"

#include "ui/functions/stepping.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::functions {

FunctionWindow::FunctionWindow(QWidget *parent, Notify notify)
    : QDialog(parent)
    , m_notify(std::move(notify))
    , m_title(new QLabel(this))
    , m_previous(new QPushButton(QStringLiteral("<"), this))
    , m_next(new QPushButton(QStringLiteral(">"), this))
{
    connect(m_previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { Step(1); });
}

void FunctionWindow::StartAt(int wanted)
{
    const std::string listed = Numbers();
    m_number = listed.find(static_cast<char>(wanted)) != std::string::npos
                   ? wanted
                   : SteppedNumber(listed, 0, 0);
}

void FunctionWindow::LayOut(QLayout *content, QPushButton *action)
{
    auto *stepping = new QHBoxLayout;
    stepping->addWidget(m_previous);
    stepping->addWidget(m_title, 1);
    stepping->addWidget(m_next);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (action != nullptr)
        buttons->addButton(action, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(stepping);
    layout->addLayout(content, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FunctionWindow::SetTitle(const QString &title)
{
    m_title->setText(title);
}

void FunctionWindow::NotifyEdited()
{
    if (m_notify)
        m_notify(3);
}

void FunctionWindow::Step(int direction)
{
    if (const int next = SteppedNumber(Numbers(), m_number, direction)) {
        m_number = next;
        ShowFunction();
    }
}

void FunctionWindow::done(int result)
{
    if (m_notify)
        m_notify(1);
    EndSnapshot(result == QDialog::Accepted);
    if (m_notify)
        m_notify(2);
    QDialog::done(result);
}

} // namespace qv::functions
