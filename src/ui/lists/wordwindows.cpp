#include "ui/lists/wordwindows.h"

#include "infra/helpers.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "model/test/stest.h"
#include "model/words/wordvalues.h"

#include <QSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <charconv>

namespace qv::lists {
namespace {

const QString kCurrent = QStringLiteral("Текущее слово:");
const QString kBus = QStringLiteral("Шина:");
const QString kCode = QStringLiteral("Код:");
const QString kType = QStringLiteral("Тип:");
const QString kWaitPasses = QStringLiteral("Циклы ожидания:");
const QString kWaitTime = QStringLiteral("Время ожидания:");

QString CaptionName(const SWord &word)
{
    return word.IsConstant() ? QStringLiteral("КОНСТАНТА") : QString::fromStdString(word.Name);
}

int ShownWidth(const TWord &list, int id, const TTyreAdr &tyres)
{
    return std::clamp(list.BusWidth(id, tyres), 0, 16);
}

QString Number(const TQuorvik &doc, std::optional<std::int32_t> value)
{
    return value ? QString::fromStdString(doc.NumberText(*value)) : QString();
}

QString Bits(std::optional<std::int32_t> value, int width)
{
    return value ? QString::fromStdString(IntToBin(static_cast<std::uint32_t>(*value), width))
                 : QString();
}

// Digit of bit `bit` (0-based) of a binary text: bit 0 is the last digit.
QString BitDigit(const QString &binary, int bit)
{
    const auto at = binary.size() - 1 - bit;
    return at >= 0 && at < binary.size() ? QString(binary[at]) : QString();
}

// The n-th (0-based) field of a text joined by "/".

} // namespace

std::optional<std::int32_t> WordValue(const SWord &word, int cycle, bool run)
{
    const std::string &text = run ? word.Run : word.Data;
    const int at = word.IsConstant() && !run ? 0 : cycle;
    const QString field = JoinedField(text, at);
    bool ok = false;
    const int value = field.toInt(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

std::vector<int> WordIds(const TWord &list)
{
    std::vector<int> ids;
    for (const SWord &word : list.Words())
        ids.push_back(word.Id);
    return ids;
}

TfmIWord::TfmIWord(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, true, parent)
{
    setObjectName(QStringLiteral("fmIWord"));
    for (const QString &caption : {kCurrent, kBus, kCode})
        AddHeader(caption);
    setFixedWidth(doc.DebugMode() ? kDebugWidth : kWidth);
    QStringList columns{QStringLiteral("Цикл:"), QStringLiteral("Данные:")};
    if (doc.DebugMode())
        columns << QStringLiteral("Отладка:") << QStringLiteral("Отладка в битах:");
    else
        columns << QStringLiteral("Данные в битах:");
    SetCycleColumns(columns);
    SetBitColumns({QStringLiteral("Контакт:"), QStringLiteral("Бит:")});
    SetCount(QStringLiteral("Всего входных слов: %1").arg(test.IWords.Count()));
    SetItems(WordIds(test.IWords), start);
    Refresh();
}

void TfmIWord::ShowItem()
{
    const SWord *word = m_test.IWords.Find(CurrentItem());
    if (!word)
        return;
    const bool debug = m_doc.DebugMode();
    setWindowTitle(QStringLiteral("Входное слово (%1)").arg(CaptionName(*word)));
    SetHeader(kCurrent, QString::number(word->Id));
    SetHeader(kBus, QString::number(word->Tyre + 1));
    SetHeader(kCode, word->Code == 1 ? QStringLiteral("прямой") : QStringLiteral("инверсный"));
    const int width = ShownWidth(m_test.IWords, word->Id, m_doc.Doc().Tyres);
    QTableWidget *table = CycleTable();
    for (int c = 0; c < ShownCycles(); ++c) {
        const auto data = WordValue(*word, c, false);
        const auto run = debug ? WordValue(*word, c, true) : std::nullopt;
        int column = 0;
        SetCell(table, c, column++, QString::number(c + 1));
        SetCell(table, c, column++, Number(m_doc, data), kOlive);
        if (debug)
            SetCell(table, c, column++, Number(m_doc, run), kOlive);
        SetCell(table, c, column, Bits(debug ? run : data, width));
    }
    const int cycle = CurrentCycle() - 1;
    const QString binary =
        Bits(debug ? WordValue(*word, cycle, true) : WordValue(*word, cycle, false), width);
    BitTable()->setRowCount(width);
    for (int bit = 0; bit < width; ++bit) {
        SetCell(BitTable(), bit, 0, ContactName(word->Tyre, bit));
        SetCell(BitTable(), bit, 1, BitDigit(binary, bit));
    }
}

TfmOWord::TfmOWord(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, true, parent)
{
    setObjectName(QStringLiteral("fmOWord"));
    for (const QString &caption : {kCurrent, kBus, kCode, kType, kWaitPasses, kWaitTime})
        AddHeader(caption);
    const bool waits = !test.OWords.WaitIds().empty();
    setFixedWidth(waits ? kWaitWidth : kWidth);
    QStringList columns{QStringLiteral("Цикл:"), QStringLiteral("Эталон:"),
                        QStringLiteral("Получено:")};
    if (waits)
        columns << QStringLiteral("Ожидание:");
    columns << QStringLiteral("Эталон в битах:") << QStringLiteral("Получено в битах:");
    SetCycleColumns(columns);
    SetBitColumns(
        {QStringLiteral("Контакт:"), QStringLiteral("Эталон:"), QStringLiteral("Получено:")});
    SetCount(QStringLiteral("Всего выходных слов: %1").arg(test.OWords.Count()));
    SetItems(WordIds(test.OWords), start);
    Refresh();
}

std::optional<std::int32_t> TfmOWord::ReadValue(const SWord &word, int cycle) const
{
    if (!m_doc.RunDataVisible(cycle, word.Id))
        return std::nullopt;
    return WordValue(word, cycle, true);
}

void TfmOWord::ShowItem()
{
    const TOWord &list = m_test.OWords;
    const SWord *word = list.Find(CurrentItem());
    if (!word)
        return;
    const bool wait = list.IsWaitWord(word->Id);
    const bool waitsAsTimes = m_doc.Display().Switches[TSettings::OptWaitsAsTimes] != 0;
    const bool hasResults = m_doc.CurrentTest() >= 0 &&
                            m_doc.TestRunFlags()[static_cast<std::size_t>(m_doc.CurrentTest())];
    setWindowTitle(QStringLiteral("Выходное слово (%1)").arg(CaptionName(*word)));
    SetHeader(kCurrent, QString::number(word->Id));
    SetHeader(kBus, QString::number(word->Tyre + 1));
    SetHeader(kCode, word->Code == 1 ? QStringLiteral("прямой") : QStringLiteral("инверсный"));
    SetHeader(kType, wait ? QStringLiteral("циклический (О)") : QStringLiteral("стандартный (o)"));
    HideHeader(kWaitPasses);
    HideHeader(kWaitTime);
    if (wait) {
        const std::string limit = list.WaitLimit(word->Id);
        SetHeader(waitsAsTimes ? kWaitTime : kWaitPasses,
                  limit == "0" ? QStringLiteral("до совпадения") : QString::fromStdString(limit));
    }
    const int width = ShownWidth(list, word->Id, m_doc.Doc().Tyres);
    const std::string waits = waitsAsTimes ? list.WaitTimes(word->Id) : list.WaitCounts(word->Id);
    QTableWidget *table = CycleTable();
    const bool waitColumn = table->columnCount() == 6;
    for (int c = 0; c < ShownCycles(); ++c) {
        const auto reference = WordValue(*word, c, false);
        const auto read = ReadValue(*word, c);
        int column = 0;
        SetCell(table, c, column++, QString::number(c + 1));
        SetCell(table, c, column++, Number(m_doc, reference), kOlive);
        if (read)
            SetCell(table, c, column++, Number(m_doc, read),
                    hasResults && read != reference ? kRed : kOlive);
        else
            SetCell(table, c, column++, QString::fromLatin1(kNotRead), kGrey);
        if (waitColumn)
            SetCell(table, c, column++, wait ? JoinedField(waits, c) : QString());
        SetCell(table, c, column++, Bits(reference, width));
        SetCell(table, c, column, read ? Bits(read, width) : QString::fromLatin1(kNotRead),
                read ? QColor(Qt::black) : kGrey);
    }
    const int cycle = CurrentCycle() - 1;
    const QString reference = Bits(WordValue(*word, cycle, false), width);
    const auto readNow = ReadValue(*word, cycle);
    const QString read = Bits(readNow, width);
    BitTable()->setRowCount(width);
    for (int bit = 0; bit < width; ++bit) {
        const QString want = BitDigit(reference, bit);
        const QString got = BitDigit(read, bit);
        const bool differs = readNow && want != got;
        SetCell(BitTable(), bit, 0, ContactName(word->Tyre, bit), differs ? kRed : Qt::black);
        SetCell(BitTable(), bit, 1, want);
        SetCell(BitTable(), bit, 2, readNow ? got : QString::fromLatin1(kNotRead),
                readNow ? QColor(Qt::black) : kGrey);
    }
}

} // namespace qv::lists
