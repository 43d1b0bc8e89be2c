#include "ui/lists/listwindow.h"

#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

namespace qv::lists {
namespace {

// A cell's margins and a little air beside its text.
constexpr int kCellAir = 12;

QTableWidget *MakeTable(QWidget *parent, const char *name)
{
    auto *table = new QTableWidget(parent);
    table->setObjectName(QLatin1String(name));
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    // The columns are given their widths by FitColumns.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(17);
    return table;
}

} // namespace

QString JoinedField(const std::string &text, int n)
{
    const QStringList fields = QString::fromStdString(text).split(QLatin1Char('/'));
    return n >= 0 && n < fields.size() ? fields[n] : QString();
}

ListWindow::ListWindow(TQuorvik &doc, STest &test, bool withCycles, QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_test(test)
{
    m_layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    m_headers = new QGridLayout;
    top->addLayout(m_headers, 1);
    auto *spins = new QFormLayout;
    spins->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_itemSpin = new QSpinBox(this);
    m_itemSpin->setObjectName(QStringLiteral("itemSpin"));
    m_itemSpin->setWrapping(true);
    spins->addRow(QStringLiteral("Номер:"), m_itemSpin);
    if (withCycles) {
        m_cycleSpin = new QSpinBox(this);
        m_cycleSpin->setObjectName(QStringLiteral("cycleSpin"));
        m_cycleSpin->setWrapping(true);
        m_cycleSpin->setRange(1, std::max(1, m_test.Cycles));
        m_cycle = std::clamp(m_test.ActiveCycle + 1, 1, std::max(1, m_test.Cycles));
        m_cycleSpin->setValue(m_cycle);
        spins->addRow(QStringLiteral("Цикл:"), m_cycleSpin);
        connect(m_cycleSpin, &QSpinBox::valueChanged, this, [this](int cycle) {
            m_cycle = cycle;
            Refresh();
        });
    }
    top->addLayout(spins);
    m_layout->addLayout(top);
    if (withCycles) {
        m_cycleTable = MakeTable(this, "cycleTable");
        m_layout->addWidget(m_cycleTable);
    }
    m_bitTable = MakeTable(this, "bitTable");
    m_layout->addWidget(m_bitTable);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countLabel"));
    m_layout->addWidget(m_count);
    connect(m_itemSpin, &QSpinBox::valueChanged, this, [this] { Refresh(); });
}

QString ListWindow::HeaderValue(const QString &caption) const
{
    for (std::size_t i = 0; i < m_headerCaptions.size(); ++i) {
        if (m_headerCaptions[i]->text() == caption && !m_headerValues[i]->isHidden())
            return m_headerValues[i]->text();
    }
    return {};
}

int ListWindow::CurrentItem() const
{
    const int at = m_itemSpin->value() - 1;
    return at >= 0 && static_cast<std::size_t>(at) < m_items.size()
               ? m_items[static_cast<std::size_t>(at)]
               : 0;
}

void ListWindow::SetItems(std::vector<int> items, int start)
{
    m_items = std::move(items);
    const auto found = std::find(m_items.begin(), m_items.end(), start);
    const int position = found == m_items.end() ? 1 : static_cast<int>(found - m_items.begin()) + 1;
    const QSignalBlocker block(m_itemSpin);
    m_itemSpin->setRange(1, std::max<int>(1, static_cast<int>(m_items.size())));
    m_itemSpin->setValue(position);
}

void ListWindow::AddHeader(const QString &caption)
{
    const int row = static_cast<int>(m_headerCaptions.size());
    auto *label = new QLabel(caption, this);
    auto *value = new QLabel(this);
    value->setObjectName(caption);
    m_headers->addWidget(label, row, 0);
    m_headers->addWidget(value, row, 1);
    label->hide();
    value->hide();
    m_headerCaptions.push_back(label);
    m_headerValues.push_back(value);
}

void ListWindow::SetHeader(const QString &caption, const QString &value)
{
    for (std::size_t i = 0; i < m_headerCaptions.size(); ++i) {
        if (m_headerCaptions[i]->text() != caption)
            continue;
        m_headerCaptions[i]->show();
        m_headerValues[i]->setText(value);
        m_headerValues[i]->show();
    }
}

void ListWindow::HideHeader(const QString &caption)
{
    for (std::size_t i = 0; i < m_headerCaptions.size(); ++i) {
        if (m_headerCaptions[i]->text() == caption) {
            m_headerCaptions[i]->hide();
            m_headerValues[i]->hide();
        }
    }
}

void ListWindow::SetCount(const QString &text)
{
    m_count->setText(text);
}

void ListWindow::AddCloseButton()
{
    auto *close = new QPushButton(QStringLiteral("&Закрыть"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    m_layout->addWidget(close, 0, Qt::AlignRight);
}

void ListWindow::SetCycleColumns(const QStringList &headers)
{
    m_cycleTable->setColumnCount(static_cast<int>(headers.size()));
    m_cycleTable->setHorizontalHeaderLabels(headers);
    m_cycleTable->setRowCount(ShownCycles());
}

void ListWindow::SetBitColumns(const QStringList &headers)
{
    m_bitTable->setColumnCount(static_cast<int>(headers.size()));
    m_bitTable->setHorizontalHeaderLabels(headers);
}

int ListWindow::ShownCycles() const
{
    return std::clamp(m_test.Cycles, 0, kMaxShownCycles);
}

void ListWindow::SetCell(QTableWidget *table, int row, int column, const QString &text,
                         const QColor &colour)
{
    auto *item = new QTableWidgetItem(text);
    item->setForeground(colour);
    item->setTextAlignment(Qt::AlignCenter);
    table->setItem(row, column, item);
}

QString ListWindow::ContactName(int bus, int bit) const
{
    const std::string definition = m_doc.Doc().Tyres.Definition(bus);
    if (bus < 0 || bus >= m_doc.Doc().Tyres.Count() || bit < 0 ||
        static_cast<std::size_t>(bit) >= definition.size())
        return {};
    const int contact = static_cast<unsigned char>(definition[static_cast<std::size_t>(bit)]);
    if (contact < 1 || static_cast<std::size_t>(contact) > m_doc.Cnt().Names.size())
        return QString::number(contact);
    const std::string &name = m_doc.Cnt().Names[static_cast<std::size_t>(contact - 1)];
    return name.empty() ? QString::number(contact) : QString::fromStdString(name);
}

void ListWindow::ShowCycle(int cycle)
{
    if (m_cycleSpin != nullptr)
        m_cycleSpin->setValue(std::clamp(cycle, 1, m_cycleSpin->maximum()));
}

std::vector<int> ListWindow::ColumnNeeds(const QTableWidget &table)
{
    const QHeaderView &header = *table.horizontalHeader();
    const QFontMetrics metrics(table.font());
    std::vector<int> needs;
    for (int c = 0; c < table.columnCount(); ++c) {
        int column = header.sectionSizeHint(c);
        for (int r = 0; r < table.rowCount(); ++r)
            if (const QTableWidgetItem *item = table.item(r, c))
                column = std::max(column, metrics.horizontalAdvance(item->text()) + kCellAir);
        needs.push_back(column);
    }
    return needs;
}

void ListWindow::FitColumns(QTableWidget &table)
{
    const std::vector<int> needs = ColumnNeeds(table);
    if (needs.empty())
        return;
    const int needed = std::accumulate(needs.begin(), needs.end(), 0);
    const int width = table.viewport()->width();
    // The room left over is shared out evenly; the last column takes the rest.
    const int extra = std::max(0, width - needed) / static_cast<int>(needs.size());
    int used = 0;
    for (std::size_t c = 0; c < needs.size(); ++c) {
        const int column = static_cast<int>(c);
        const int size =
            c + 1 == needs.size() ? std::max(needs[c], width - used) : needs[c] + extra;
        table.horizontalHeader()->resizeSection(column, size);
        used += size;
    }
}

void ListWindow::Refresh()
{
    ShowItem();
    int missing = 0;
    for (QTableWidget *table : {m_cycleTable, m_bitTable}) {
        if (table == nullptr)
            continue;
        const std::vector<int> needs = ColumnNeeds(*table);
        missing = std::max(missing, std::accumulate(needs.begin(), needs.end(), 0) -
                                        table->viewport()->width());
    }
    // Measured once the window is laid out (shown): it widens when a column
    // would cut its header or texts.
    if (missing > 0 && isVisible()) {
        setFixedWidth(width() + missing);
        if (QLayout *own = layout())
            own->activate();
    }
    for (QTableWidget *table : {m_cycleTable, m_bitTable})
        if (table != nullptr)
            FitColumns(*table);
}

void ListWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The tables have their widths only now, and for certain once the
    // window's first layout has been done.
    Refresh();
    QTimer::singleShot(0, this, [this] { Refresh(); });
}

} // namespace qv::lists
