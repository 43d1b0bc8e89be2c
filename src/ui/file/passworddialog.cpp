#include "ui/file/passworddialog.h"

#include "infra/mesbo.h"
#include "infra/messages.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::file {

QString PasswordRequestText(int mode)
{
    const bool write = mode == PasswordRequest::ModeWrite;
    return QStringLiteral("Данный файл имеет ограничение на %1. Для продолжения %2 необходимо "
                          "ввести пароль на %3")
        .arg(write ? QStringLiteral("запись") : QStringLiteral("чтение"),
             write ? QStringLiteral("записи") : QStringLiteral("загрузки"),
             write ? QStringLiteral("запись") : QStringLiteral("чтение"));
}

TfmPassword::TfmPassword(PasswordRequest &request, QWidget *parent)
    : QDialog(parent)
    , m_request(request)
    , m_check(request.Check)
{
    setObjectName(QStringLiteral("fmPassword"));
    setWindowTitle(QStringLiteral("Пароль"));
    auto *layout = new QVBoxLayout(this);
    const QString file = QFileInfo(QString::fromStdString(request.File)).fileName();
    layout->addWidget(new QLabel(
        QStringLiteral("Максимальная длина пароля - %1  символ.").arg(request.MaxLength), this));
    layout->addWidget(new QLabel(QStringLiteral("Файл: \"%1\"").arg(file), this));
    auto *text = new QLabel(PasswordRequestText(request.Mode) + QLatin1Char('.'), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Пароль:"), this));
    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("edPassword"));
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setMaxLength(request.MaxLength);
    row->addWidget(m_entry);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("О&тмена"), this);
    cancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TfmPassword::accept);
    connect(cancel, &QPushButton::clicked, this, &TfmPassword::reject);
    m_entry->setFocus();
}

void TfmPassword::accept()
{
    std::string padded;
    Bytes32 check{};
    const std::string typed = m_entry->text().left(m_request.MaxLength).toStdString();
    if (m_request.Transform && m_request.Transform(typed, padded, check) && check == m_check) {
        m_request.Password = padded;
        QDialog::accept();
        return;
    }
    if (Mesbo().Show(Msg(30), MbErrorRetryCancel, "Пароль") == MbRetry) {
        m_entry->clear();
        m_entry->setFocus();
        return;
    }
    reject();
}

bool TfmPassword::Ask(PasswordRequest &request, QWidget *parent)
{
    TfmPassword dialog(request, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace qv::file
