#include "ui/run/idcheckwindow.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace qv::run {

namespace {

QTableWidgetItem *Cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

TfmCntId::TfmCntId(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCntId"));
    setWindowTitle(QStringLiteral("Пуск"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(
        QString::fromUtf8(kIdCheckText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        this);
    m_text->setObjectName(QStringLiteral("lbText"));
    layout->addWidget(m_text);

    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("sgContacts"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Контакт разъема БД"), QStringLiteral("Статус")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_table);

    m_close = new QPushButton(QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("btClose"));
    m_close->hide();
    layout->addWidget(m_close, 0, Qt::AlignHCenter);
    connect(m_close, &QPushButton::clicked, this, [this] {
        m_mayClose = true;
        done(QDialog::Rejected);
    });
}

bool TfmCntId::Exec(IdContactCheck &check)
{
    m_check = &check;
    m_passed = false;
    m_mayClose = false;
    m_close->hide();
    FillTable(check);
    FitTable();
    QTimer::singleShot(kRequestDelayMs, this, [this] { Request(); });
    exec();
    m_check = nullptr;
    return m_passed;
}

void TfmCntId::Request()
{
    if (m_check == nullptr)
        return;
    m_passed = m_check->Request();
    FillTable(*m_check);
    if (m_passed || !m_check->Answered()) {
        // A pass closes by itself; a failed exchange was shown by the port.
        m_mayClose = true;
        done(m_passed ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    m_passed = false;
    m_close->show();
    m_close->setDefault(true);
    m_close->setFocus();
    FitTable();
}

void TfmCntId::FillTable(const IdContactCheck &check)
{
    const auto &contacts = check.Contacts();
    m_table->setRowCount(static_cast<int>(contacts.size()));
    QFont bold = m_table->font();
    bold.setBold(true);
    for (int row = 0; row < static_cast<int>(contacts.size()); ++row) {
        const IdContact &contact = contacts[static_cast<std::size_t>(row)];
        m_table->setItem(row, 0, Cell(QString::fromStdString(contact.label)));
        QTableWidgetItem *status = Cell(QString::fromStdString(IdStatusText(contact.status)));
        status->setFont(bold);
        status->setForeground(contact.status == IdContact::Correct ? QColor(0, 128, 0)
                                                                   : QColor(Qt::red));
        m_table->setItem(row, 1, status);
    }
}

void TfmCntId::FitTable()
{
    const int rows = m_table->rowCount();
    const int rowHeight = m_table->verticalHeader()->defaultSectionSize();
    const int wanted = m_table->horizontalHeader()->sizeHint().height() + rows * rowHeight +
                       2 * m_table->frameWidth();
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int limit =
        screen ? static_cast<int>(screen->geometry().height() * kMaxScreenShare) : wanted;
    m_table->setFixedHeight(std::min(wanted, limit));
    adjustSize();
}

void TfmCntId::reject()
{
    // Esc presses "Закрыть" once it is shown; before the answer the window
    // stays.
    if (m_mayClose || m_close->isVisible()) {
        m_mayClose = true;
        QDialog::reject();
    }
}

void TfmCntId::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_close->isVisible())
            m_close->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace qv::run
