#include "ui/questions/functionquestion.h"

#include "execution/run/unitquestion.h"
#include "infra/mesbo.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "ui/functions/runprompt.h"
#include "ui/lists/wordwindows.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

namespace qv::questions {
namespace {

constexpr int kRowHeight = 17;
const QColor kHeaderFill{0xCF, 0xCF, 0xCF};
const QColor kNavy{0x00, 0x00, 0x80};
const QString kAddress = QStringLiteral("Текущий адрес:");
const QString kAlgorithm = QStringLiteral("Алгоритм:");

std::uint32_t Little(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

QString Number(const TQuorvik &doc, std::int64_t value)
{
    return QString::fromStdString(doc.NumberText(value));
}

template <class List>
QString FunctionName(const List &list, int number)
{
    const auto *record = list.ByNumber(number);
    return record ? QString::fromStdString(record->Name) : QString();
}

QString NameOf(const TQuorvik &doc, const FunctionQuestion &q)
{
    const STest *test = doc.Test(q.test - 1);
    if (!test)
        return {};
    if (q.kind == QuestionKind::FFunction)
        return FunctionName(test->FFuncs, q.function);
    if (q.kind == QuestionKind::MFunction)
        return FunctionName(test->MFuncs, q.function);
    return FunctionName(test->PFuncs, q.function);
}

// The output-word lines; M-functions show the reference inverted too.
void ReadWordLines(const TQuorvik &doc, FunctionQuestion &q, std::span<const std::uint8_t> record,
                   std::size_t countAt)
{
    if (countAt >= record.size())
        return;
    const STest *test = doc.Test(q.test - 1);
    const int count = record[countAt];
    for (int n = 0; n < count; ++n) {
        const std::size_t at = countAt + 1 + 3 * static_cast<std::size_t>(n);
        if (at + 3 > record.size())
            break;
        const int id = record[at];
        const std::uint32_t read = Little(record, at + 1, 2);
        const SWord *word = test ? test->OWords.Find(id) : nullptr;
        const bool wait = test && test->OWords.IsWaitWord(id);
        QuestionLine line;
        line.outputWord = id;
        line.parameter = QStringLiteral("%1%2 (%3)")
                             .arg(wait ? QStringLiteral("O") : QStringLiteral("o"))
                             .arg(id)
                             .arg(word ? QString::fromStdString(word->Name) : QString());
        const std::uint16_t mask = test ? doc.WordMask('o', id, q.test - 1) : 0;
        const auto reference = word ? lists::WordValue(*word, 0, false) : std::nullopt;
        const auto invert = [mask](std::uint32_t value) {
            return mask != 0 ? ~value & mask : value;
        };
        if (reference)
            line.reference = Number(doc, q.kind == QuestionKind::MFunction
                                             ? invert(static_cast<std::uint32_t>(*reference))
                                             : static_cast<std::uint32_t>(*reference));
        line.data = Number(doc, invert(read));
        q.lines.push_back(line);
    }
}

} // namespace

QString AlgorithmName(int index)
{
    static const std::array<const char *, 7> kNames{
        "Тест буферов", "Тест адреса",     "Марш-тест",   "Шахматный тест",
        "Бегущий ноль", "Бегущая единица", "Стандартный",
    };
    return index >= 0 && static_cast<std::size_t>(index) < kNames.size()
               ? QString::fromUtf8(kNames[static_cast<std::size_t>(index)])
               : QString();
}

std::optional<FunctionQuestion> ReadFunctionQuestion(const TQuorvik &doc, QuestionKind kind,
                                                     std::span<const std::uint8_t> record)
{
    if (record.size() < 4 || QuestionKindOf(record) != kind || !AsksAboutFunction(kind))
        return std::nullopt;
    FunctionQuestion q;
    q.kind = kind;
    q.test = record[1];
    q.function = record[2];
    const bool m = kind == QuestionKind::MFunction;
    if (m) {
        q.address = record.size() >= 6 ? record[3] | Little(record, 4, 2) << 8 : record[3];
        q.algorithm = record.size() >= 7 ? record[6] : -1;
    } else if (record.size() >= 7) {
        q.address = Little(record, 3, 4);
    }
    const bool flagged = record.size() >= 8 && record[7] != 0;
    if (flagged && record.size() >= 12) {
        QuestionLine line;
        line.parameter = m ? QStringLiteral("ячейка памяти")
                           : QStringLiteral("значение %1 - функции").arg(QuestionLetter(kind));
        line.reference = Number(doc, Little(record, 8, 2));
        line.data = Number(doc, Little(record, 10, 2));
        q.lines.push_back(line);
    }
    ReadWordLines(doc, q, record, flagged ? 12 : 8);
    return q;
}

TfmFuncAsk::TfmFuncAsk(const TQuorvik &doc, const FunctionQuestion &question,
                       std::function<void(int, char, int)> openList, QWidget *parent)
    : QDialog(parent)
{
    const bool m = question.kind == QuestionKind::MFunction;
    const QChar letter = QLatin1Char(QuestionLetter(question.kind));
    setObjectName(m ? QStringLiteral("fmMError") : QStringLiteral("fmFuncF_ask"));
    setWindowTitle(QStringLiteral("Пуск"));
    auto *layout = new QVBoxLayout(this);
    const QString dash = m ? QStringLiteral("-") : QStringLiteral(" -");
    layout->addWidget(new QLabel(
        QStringLiteral("Найдены ошибки при отработке %1%2функции.").arg(letter).arg(dash), this));
    auto *lines = new QGridLayout;
    layout->addLayout(lines);
    const QString name = NameOf(doc, question);
    QString function = letter + QString::number(question.function);
    if (!name.isEmpty())
        function += m ? QStringLiteral(" (%1)").arg(name) : QStringLiteral(" (\"%1\")").arg(name);
    const auto add = [this, lines](const QString &caption, const QString &value) {
        auto *label = new QLabel(caption, this);
        auto *text = new QLabel(value, this);
        text->setObjectName(caption);
        const int row = lines->rowCount();
        lines->addWidget(label, row, 0);
        lines->addWidget(text, row, 1);
        m_lines.emplace_back(label, text);
    };
    add(QStringLiteral("%1%2функция:").arg(letter).arg(dash), function);
    add(kAddress, Number(doc, question.address));
    if (m)
        add(kAlgorithm, AlgorithmName(question.algorithm));
    m_info = new QPushButton(QStringLiteral("инфо"), this);
    lines->addWidget(m_info, 0, 2);
    const char kind = letter.toLatin1();
    const int number = question.function;
    const int test = question.test - 1;
    // The click's focus would make "инфо" the button Enter presses: it goes
    // back to "Да", the answer a hand expects from Enter.
    connect(m_info, &QPushButton::clicked, this, [this, openList, test, kind, number] {
        if (openList)
            openList(test, kind, number);
        m_yes->setFocus(Qt::OtherFocusReason);
    });

    m_list = new QTableWidget(this);
    FillList(question);
    connect(m_list, &QTableWidget::cellClicked, this,
            [this, openList, question](int row, int column) {
                const auto at = static_cast<std::size_t>(row - 1);
                if (column == 0 && row > 0 && at < question.lines.size() &&
                    question.lines[at].outputWord > 0 && openList)
                    openList(question.test - 1, 'o', question.lines[at].outputWord);
            });
    layout->addWidget(m_list);

    layout->addWidget(new QLabel(QStringLiteral("Продолжить выполнение теста?"), this));
    auto *buttons = new QHBoxLayout;
    m_yes = new QPushButton(QStringLiteral("Да"), this);
    m_no = new QPushButton(QStringLiteral("Нет"), this);
    m_yes->setDefault(true);
    connect(m_yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_no, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfmFuncAsk::FillList(const FunctionQuestion &question)
{
    const int rows = 1 + static_cast<int>(question.lines.size());
    m_list->setRowCount(rows);
    m_list->setColumnCount(3);
    m_list->horizontalHeader()->hide();
    m_list->verticalHeader()->hide();
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->setColumnWidth(0, kListWidth - 2 * kValueColumn - 4);
    m_list->setColumnWidth(1, kValueColumn);
    m_list->setColumnWidth(2, kValueColumn);
    const auto put = [this](int row, int column, const QString &text, bool header) {
        auto *item = new QTableWidgetItem(text);
        item->setBackground(header ? kHeaderFill : QColor(Qt::white));
        item->setForeground(header ? QColor(Qt::black) : kNavy);
        item->setTextAlignment(column == 0 && !header ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignCenter);
        m_list->setItem(row, column, item);
    };
    put(0, 0, QStringLiteral("параметр"), true);
    put(0, 1, QStringLiteral("эталон"), true);
    put(0, 2, QStringLiteral("данные"), true);
    for (int r = 1; r < rows; ++r) {
        const QuestionLine &line = question.lines[static_cast<std::size_t>(r - 1)];
        put(r, 0, line.parameter, false);
        put(r, 1, line.reference, false);
        put(r, 2, line.data, false);
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int limit = screen ? screen->availableGeometry().height() * 8 / 10 : rows * kRowHeight;
    m_list->setFixedSize(kListWidth, std::min(rows * kRowHeight, limit) + 2 * m_list->frameWidth());
}

QString TfmFuncAsk::ValueOf(const QString &caption) const
{
    for (const auto &[label, value] : m_lines) {
        if (label->text() == caption)
            return value->text();
    }
    return {};
}

int AskFunctionQuestion(const TQuorvik &doc, QuestionKind kind,
                        std::span<const std::uint8_t> record,
                        std::function<void(int, char, int)> openList, QWidget *parent)
{
    const auto question = ReadFunctionQuestion(doc, kind, record);
    if (!question) {
        Mesbo().Show("Данные, полученные от блока диагностики, повреждены", MbError, "Пуск");
        return 255;
    }
    TfmFuncAsk window(doc, *question, std::move(openList), parent);
    const functions::RunPromptScope waiting;
    return window.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace qv::questions
