#include "ui/run/errorstatisticspage.h"

#include "execution/run/errorstatistics.h"
#include "model/document/quorvik.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qv::run {

namespace {

// A cell that sorts by its number; 0 shows as empty where it means "none".
QTableWidgetItem *NumberItem(int value, bool emptyWhenZero = false)
{
    auto *item = new QTableWidgetItem;
    if (!(emptyWhenZero && value == 0))
        item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem *TextItem(const QString &text)
{
    return new QTableWidgetItem(text);
}

QString WordText(const TQuorvik &document, int test, int id)
{
    QString text = QStringLiteral("o%1").arg(id);
    const STest *record = document.Test(test);
    const SWord *word = record ? record->OWords.Find(id) : nullptr;
    if (word != nullptr && !word->Name.empty())
        text += QStringLiteral(" ") + QString::fromStdString(word->Name);
    return text;
}

void PutTally(QTableWidget &table, int row, const ErrorTally &tally, int passes)
{
    table.setItem(row, ErrorStatisticsPage::ColFailing, NumberItem(tally.failingPasses));
    table.setItem(row, ErrorStatisticsPage::ColShare,
                  NumberItem(passes > 0 ? (tally.failingPasses * 100 + passes / 2) / passes : 0));
    table.setItem(row, ErrorStatisticsPage::ColFirst, NumberItem(tally.firstPass));
    table.setItem(row, ErrorStatisticsPage::ColLast, NumberItem(tally.lastPass));
    table.setItem(row, ErrorStatisticsPage::ColCycle, NumberItem(tally.cycle));
    table.setItem(row, ErrorStatisticsPage::ColTact, NumberItem(tally.tact, true));
}

} // namespace

ErrorStatisticsPage::ErrorStatisticsPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pgStatistics"));
    auto *layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("lbStatistics"));
    layout->addWidget(m_caption);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("sgStatistics"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Тест"), QStringLiteral("Слово"),
                                        QStringLiteral("Контакт"), QStringLiteral("Бит"),
                                        QStringLiteral("С ошибкой"), QStringLiteral("%"),
                                        QStringLiteral("Первый"), QStringLiteral("Последний"),
                                        QStringLiteral("Цикл"), QStringLiteral("Такт")});
    m_table->horizontalHeaderItem(ColFailing)->setToolTip(QStringLiteral("Прогонов с ошибкой"));
    m_table->horizontalHeaderItem(ColShare)->setToolTip(QStringLiteral("Доля прогонов с ошибкой"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(true);
    m_table->setMinimumHeight(200);
    layout->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("btStatisticsClose"));
    buttons->addWidget(m_close);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void ErrorStatisticsPage::Fill(const ErrorStatistics &statistics, const TQuorvik &document)
{
    const int passes = statistics.Passes();
    m_caption->setText(QStringLiteral("Ошибки по прогонам (всего прогонов: %1)").arg(passes));
    m_table->setSortingEnabled(false);
    m_table->setRowCount(0);
    const auto addRow = [this] {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        return row;
    };
    for (const WordErrors &word : statistics.Words()) {
        const int row = addRow();
        m_table->setItem(row, ColTest, NumberItem(word.test + 1));
        m_table->setItem(row, ColWord, TextItem(WordText(document, word.test, word.word)));
        m_table->setItem(row, ColContact, TextItem(QString()));
        m_table->setItem(row, ColBit, TextItem(QString()));
        PutTally(*m_table, row, word.tally, passes);
    }
    for (const ContactErrors &contact : statistics.Contacts()) {
        const int row = addRow();
        m_table->setItem(row, ColTest, NumberItem(contact.test + 1));
        m_table->setItem(row, ColWord, TextItem(WordText(document, contact.test, contact.word)));
        QString name = QString::number(contact.contact);
        if (!contact.name.empty())
            name += QStringLiteral(" ") + QString::fromStdString(contact.name);
        m_table->setItem(row, ColContact, TextItem(name));
        m_table->setItem(row, ColBit, NumberItem(contact.bit));
        PutTally(*m_table, row, contact.tally, passes);
    }
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(ColFailing, Qt::DescendingOrder);
}

} // namespace qv::run
