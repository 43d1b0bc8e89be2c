#include "ui/probe/vinfowindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::probe {

TfmVInfo::TfmVInfo(Kind kind, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
{
    setObjectName(QStringLiteral("fmVInfo"));
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    m_heading = new QLabel(
        QString::fromUtf8(kind == Kind::Preparation ? kPreparation : kDeviceError), this);
    m_heading->setObjectName(QStringLiteral("lbHeading"));
    layout->addWidget(m_heading);
    m_text = new QPlainTextEdit(text, this);
    m_text->setObjectName(QStringLiteral("meText"));
    m_text->setReadOnly(true);
    layout->addWidget(m_text);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    if (kind == Kind::Preparation) {
        m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
        buttons->addWidget(m_cancel);
        connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    layout->addLayout(buttons);
}

} // namespace qv::probe
