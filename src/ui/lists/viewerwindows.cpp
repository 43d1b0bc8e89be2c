#include "ui/lists/viewerwindows.h"

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::lists {
namespace {

// Kept free on either side of a window as wide as the screen.
constexpr int kScreenMargin = 40;

const QString kCurrentBus = QStringLiteral("Текущая шина данных:");
const QString kWidth = QStringLiteral("Разрядность:");

} // namespace

TfmTyreData::TfmTyreData(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, false, parent)
{
    setObjectName(QStringLiteral("fmTyreData"));
    const int count = doc.Doc().Tyres.Count();
    setWindowTitle(QStringLiteral("Шины данных (всего %1)").arg(count));
    AddHeader(kCurrentBus);
    AddHeader(kWidth);
    SetBitColumns({QStringLiteral("Контакты:")});
    std::vector<int> numbers;
    for (int n = 1; n <= count; ++n)
        numbers.push_back(n);
    SetItems(std::move(numbers), start);
    Refresh();
}

void TfmTyreData::ShowItem()
{
    const int bus = CurrentItem() - 1;
    const int width = m_doc.Doc().Tyres.Width(bus);
    SetHeader(kCurrentBus, QString::number(bus + 1));
    SetHeader(kWidth, QString::number(width));
    BitTable()->setRowCount(width);
    for (int bit = 0; bit < width; ++bit)
        SetCell(BitTable(), bit, 0, ContactName(bus, bit));
}

TfmTestInfo::TfmTestInfo(const TQuorvik &doc, int current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmTestInfo"));
    setWindowTitle(QStringLiteral("Список тестов"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Список тестов:"), this));
    m_tests = new QListWidget(this);
    for (int i = 0; i < doc.Doc().NTest; ++i) {
        const STest *test = doc.Test(i);
        const std::string name = test && !test->Name.empty() ? test->Name : Msg(36);
        m_tests->addItem(QStringLiteral("№%1: %2").arg(i + 1).arg(QString::fromStdString(name)));
    }
    m_tests->addItem(QStringLiteral("все"));
    m_tests->setCurrentRow(current == kAllTests || current >= doc.Doc().NTest ? doc.Doc().NTest
                                                                              : current);
    layout->addWidget(m_tests);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TfmTestInfo::Chosen() const
{
    const int row = m_tests->currentRow();
    return row < 0 || row == m_tests->count() - 1 ? kAllTests : row;
}

TfmCnt::TfmCnt(const TQuorvik &doc, bool dosUnit, QWidget *parent, const std::vector<int> &suspects)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCnt"));
    setWindowTitle(QStringLiteral("Файл контактов CNT"));
    auto *layout = new QVBoxLayout(this);
    const QStringList rows =
        dosUnit ? QStringList{QStringLiteral("X1c"), QStringLiteral("X1b"), QStringLiteral("X1a"),
                              QStringLiteral("X2c"), QStringLiteral("X2b"), QStringLiteral("X2a")}
                : QStringList{QStringLiteral("Xc"), QStringLiteral("Xb"), QStringLiteral("Xa")};
    m_grid = new QTableWidget(static_cast<int>(rows.size()), kColumns, this);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setVerticalHeaderLabels(rows);
    QStringList numbers;
    for (int c = 1; c <= kColumns; ++c)
        numbers << QString::number(c);
    m_grid->setHorizontalHeaderLabels(numbers);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const auto contact = static_cast<std::size_t>(r * kColumns + c);
            const QString name = contact < doc.Cnt().Names.size()
                                     ? QString::fromStdString(doc.Cnt().Names[contact])
                                     : QString();
            auto *item = new QTableWidgetItem(name);
            if (std::find(suspects.begin(), suspects.end(), static_cast<int>(contact) + 1) !=
                suspects.end()) {
                item->setBackground(QColor(0xFF, 0xFF, 0x00));
                item->setToolTip(QStringLiteral("Подозреваемый контакт (диагноз)"));
            }
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->resizeColumnsToContents();
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_grid);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    // The width shows every column when the screen has room for it; the
    // height follows the rows (and the scroll bar when the screen is too
    // narrow) and stays.
    const int wanted = m_grid->verticalHeader()->sizeHint().width() +
                       m_grid->horizontalHeader()->length() + 2 * m_grid->frameWidth();
    const QScreen *screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const int room =
        screen != nullptr ? screen->availableGeometry().width() - kScreenMargin : wanted;
    m_grid->setMinimumWidth(std::min(wanted, room));
    int gridHeight = m_grid->horizontalHeader()->sizeHint().height() +
                     m_grid->verticalHeader()->length() + 2 * m_grid->frameWidth();
    if (wanted > room)
        gridHeight += m_grid->horizontalScrollBar()->sizeHint().height();
    m_grid->setFixedHeight(gridHeight);
    setFixedHeight(sizeHint().height());
    resize(sizeHint().width(), height());
}

} // namespace qv::lists
