#include "ui/lists/funcnamewindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/test/stest.h"
#include "ui/functions/funcfwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/functions/funcswindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qv::lists {
namespace {

constexpr const char *kNotSet = "<не задано>";
const QColor kHeaderFill{0xCF, 0xCF, 0xCF};
const QColor kNavy{0x00, 0x00, 0x80};
const QColor kRedText{0xFF, 0x00, 0x00};
constexpr int kMargin = 8;

bool Unnamed(const std::string &name)
{
    return name.empty() || name == "*" || name == kNotSet;
}

// Cells filled and framed in black; the header row centred in navy, body
// text 3 pixels from the left.
class FramedCells : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool header = index.row() == 0;
        painter->save();
        painter->fillRect(option.rect, header ? kHeaderFill : QColor(Qt::white));
        painter->setPen(Qt::black);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        const QVariant colour = index.data(Qt::ForegroundRole);
        painter->setPen(
            header ? kNavy
                   : (colour.isValid() ? colour.value<QBrush>().color() : QColor(Qt::black)));
        painter->setFont(option.font);
        const QRect text = option.rect.adjusted(3, 0, -3, 0);
        painter->drawText(text, header ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
        painter->restore();
    }
};

} // namespace

TfmFuncName::TfmFuncName(STest &test, int testIndex, const std::string &collection, QWidget *parent)
    : QDialog(parent)
    , m_test(test)
{
    setObjectName(QStringLiteral("fmFunc_name"));
    setWindowTitle(QStringLiteral("Имена файлов данных"));
    for (const char c : collection) {
        const int code = static_cast<unsigned char>(c);
        const char letter = code > 100 ? 'S' : code > 50 ? 'P' : 'F';
        m_rows.push_back({letter, code > 100 ? code - 100 : code > 50 ? code - 50 : code});
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    m_top = new QLabel(
        QStringLiteral("В тесте №%1 определены функции, для которых не заданы имена файлов данных. "
                       "Для продолжения выполнения теста необходимо задать имена файлов.")
            .arg(testIndex + 1),
        this);
    m_top->setWordWrap(true);
    layout->addWidget(m_top);

    m_grid = new QTableWidget(this);
    m_grid->setColumnCount(3);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setShowGrid(false);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    QFont bold = m_grid->font();
    bold.setBold(true);
    m_grid->setFont(bold);
    m_grid->setItemDelegate(new FramedCells(m_grid));
    int width = 0;
    for (int c = 0; c < 3; ++c) {
        m_grid->setColumnWidth(c, kColumnWidths[c]);
        width += kColumnWidths[c];
    }
    m_grid->setFixedWidth(width);
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 1 && static_cast<std::size_t>(row - 1) < m_rows.size()) {
            const Row &chosen = m_rows[static_cast<std::size_t>(row - 1)];
            emit FunctionChosen(chosen.letter, chosen.number);
        }
    });
    layout->addWidget(m_grid);

    auto *note = new QLabel(QStringLiteral("Для редактирования функции, щелкните левой кнопкой "
                                           "мыши на соответствующей строке таблицы."),
                            this);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: grey"));
    layout->addWidget(note);
    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_ok, &QPushButton::clicked, this, &TfmFuncName::TryAccept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    Fill();
}

std::optional<std::pair<std::string, std::string>> TfmFuncName::FunctionOf(const Row &row) const
{
    if (row.letter == 'F') {
        if (const SFuncF *f = m_test.FFuncs.ByNumber(row.number))
            return std::pair{f->Name, f->FileName};
    } else if (row.letter == 'P') {
        if (const SProg *p = m_test.PFuncs.ByNumber(row.number))
            return std::pair{p->Name, p->FileName};
    } else if (const SFuncS *s = m_test.SFuncs.ByNumber(row.number)) {
        return std::pair{s->Name, s->FileName};
    }
    return std::nullopt;
}

void TfmFuncName::Fill()
{
    const int rows = 1 + static_cast<int>(m_rows.size());
    m_grid->setRowCount(rows);
    const QStringList headers{QStringLiteral("Функция"), QStringLiteral("Имя функции"),
                              QStringLiteral("Имя файла данных")};
    for (int c = 0; c < 3; ++c)
        m_grid->setItem(0, c, new QTableWidgetItem(headers[c]));
    for (int r = 1; r < rows; ++r) {
        const Row &row = m_rows[static_cast<std::size_t>(r - 1)];
        QString kind = QString(QLatin1Char(row.letter)) + QString::number(row.number);
        if (row.letter == 'S')
            kind += QStringLiteral(" (w)");
        const auto function = FunctionOf(row);
        const std::string fileName = function ? function->second : std::string();
        m_grid->setItem(r, 0, new QTableWidgetItem(kind));
        m_grid->setItem(
            r, 1,
            new QTableWidgetItem(function ? QString::fromStdString(function->first) : QString()));
        auto *file = new QTableWidgetItem(fileName.empty() ? QString::fromUtf8(kNotSet)
                                                           : QString::fromStdString(fileName));
        if (fileName.empty())
            file->setForeground(kRedText);
        m_grid->setItem(r, 2, file);
    }
    m_grid->setFixedHeight(kRowHeight * rows);
}

QString TfmFuncName::CellText(int row, int column) const
{
    const QTableWidgetItem *item = m_grid->item(row + 1, column);
    return item ? item->text() : QString();
}

void TfmFuncName::Notify(int code)
{
    switch (code) {
    case 1:
        // The records are about to be replaced: nothing is read until code 2.
        m_detached = true;
        m_grid->setUpdatesEnabled(false);
        break;
    case 2:
        m_detached = false;
        Fill();
        m_grid->setUpdatesEnabled(true);
        break;
    case 3:
        if (!m_detached) {
            Fill();
            m_grid->viewport()->update();
        }
        break;
    default:
        break;
    }
}

void TfmFuncName::TryAccept()
{
    for (const Row &row : m_rows) {
        const auto function = FunctionOf(row);
        if (!function || Unnamed(function->second)) {
            Mesbo().Show(Msg(1), MbError, kProductName);
            return;
        }
    }
    accept();
}

bool FuncNameAsker::AskFileNames(STest &test, int testIndex, const std::string &collection)
{
    TfmFuncName window(test, testIndex, collection, m_parent);
    if (m_document != nullptr) {
        QObject::connect(
            &window, &TfmFuncName::FunctionChosen, &window,
            [this, &test, &window](char letter, int number) {
                const auto notify = [&window](int code) { window.Notify(code); };
                if (letter == 'F')
                    functions::TfmFuncF(*m_document, test, number, m_editor, &window, notify)
                        .exec();
                else if (letter == 'P')
                    functions::TfmFuncP(*m_document, test, number, m_editor, &window, notify)
                        .exec();
                else if (letter == 'S')
                    functions::TfmFuncS(*m_document, test, number, m_editor, &window, notify)
                        .exec();
            });
    }
    return window.exec() == QDialog::Accepted;
}

} // namespace qv::lists
