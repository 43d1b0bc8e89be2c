#include "ui/file/fileerrorswindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace qv::file {

TfmFileErrors::TfmFileErrors(const std::string &heading, const std::string &log, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmFileErrors"));
    setWindowTitle(QStringLiteral("Журнал ошибок"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(
        QString::fromStdString(heading).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_lines = new QListWidget(this);
    const QStringList rows = QString::fromStdString(log).split(QRegularExpression("\r\n|\r|\n"));
    for (const QString &row : rows)
        if (!row.isEmpty())
            m_lines->addItem(row);
    layout->addWidget(m_lines);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(480, 300);
}

} // namespace qv::file
