#include "splitwindow.h"

#include "bytesplit.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qvsplit {

SplitWindow::SplitWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fmSplitBytes"));
    setWindowTitle(QStringLiteral("Разбивка на L/H байты"));
    new QGridLayout(this);
    m_data = addRow(QStringLiteral("Файл данных (16 бит):"), QStringLiteral("edData"), true);
    m_low = addRow(QStringLiteral("Младшие байты (L):"), QStringLiteral("edLow"), false);
    m_high = addRow(QStringLiteral("Старшие байты (H):"), QStringLiteral("edHigh"), false);
    connect(m_data, &QLineEdit::textEdited, this, [this](const QString &data) {
        m_low->setText(LowBytesName(data));
        m_high->setText(HighBytesName(data));
    });
    auto *buttons = new QHBoxLayout;
    auto *splitButton = new QPushButton(QStringLiteral("&Разбить"), this);
    splitButton->setObjectName(QStringLiteral("btSplit"));
    auto *joinButton = new QPushButton(QStringLiteral("&Собрать"), this);
    joinButton->setObjectName(QStringLiteral("btJoin"));
    buttons->addStretch();
    buttons->addWidget(splitButton);
    buttons->addWidget(joinButton);
    connect(splitButton, &QPushButton::clicked, this, [this] { split(); });
    connect(joinButton, &QPushButton::clicked, this, [this] { join(); });
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lbStatus"));
    m_status->setWordWrap(true);
    auto *grid = static_cast<QGridLayout *>(layout());
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->addWidget(m_status, 4, 0, 1, 3);
    resize(560, sizeHint().height());
}

QLineEdit *SplitWindow::addRow(const QString &caption, const QString &name, bool forOpen)
{
    auto *grid = static_cast<QGridLayout *>(layout());
    const int row = m_rows++;
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    auto *browse = new QPushButton(QStringLiteral("..."), this);
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, [this, edit, forOpen, caption] {
        const QString path =
            forOpen ? QFileDialog::getOpenFileName(this, caption, edit->text())
                    : QFileDialog::getSaveFileName(this, caption, edit->text(), {}, nullptr,
                                                   QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty())
            return;
        edit->setText(path);
        emit edit->textEdited(path);
    });
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    return edit;
}

void SplitWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SplitWindow::split()
{
    report(SplitBytes(m_data->text(), m_low->text(), m_high->text()),
           QStringLiteral("Файл разбит на младшие и старшие байты"));
}

void SplitWindow::join()
{
    report(JoinBytes(m_low->text(), m_high->text(), m_data->text()),
           QStringLiteral("Файл данных собран из младших и старших байт"));
}

void SplitWindow::report(const QString &problem, const QString &done)
{
    m_status->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00000"));
    m_status->setText(problem.isEmpty() ? done : problem);
}

} // namespace qvsplit
