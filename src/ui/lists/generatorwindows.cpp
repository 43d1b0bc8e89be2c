#include "ui/lists/generatorwindows.h"

#include "model/core/modelfailure.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "ui/lists/wordwindows.h"

#include <QTableWidget>
#include <algorithm>

namespace qv::lists {
namespace {

const QString kCurrent = QStringLiteral("Текущее слово:");
const QString kType = QStringLiteral("Тип:");
const QString kContact = QStringLiteral("Контакт:");
const QString kUnits = QStringLiteral("Единицы измерения:");

std::vector<int> SortedIds(const TGWord &list, std::initializer_list<GGroup> groups)
{
    std::vector<int> ids;
    for (const SWord &word : list.Words()) {
        if (std::any_of(groups.begin(), groups.end(),
                        [&word](GGroup group) { return InGGroup(word, group); }))
            ids.push_back(word.Id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString Decimal(std::optional<std::int32_t> value)
{
    return value ? QString::number(*value) : QString();
}

} // namespace

TfmGWord::TfmGWord(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, true, parent)
{
    setObjectName(QStringLiteral("fmGWord"));
    for (const QString &caption : {kCurrent, kType, kContact, kUnits})
        addHeader(caption);
    setFixedWidth(doc.DebugMode() ? kDebugWidth : kWidth);
    QStringList columns{QStringLiteral("Цикл:"), QStringLiteral("Данные:")};
    if (doc.DebugMode())
        columns << QStringLiteral("Отладка:");
    setCycleColumns(columns);
    bitTable()->hide();
    setCount(QStringLiteral("Всего g-слов: %1").arg(test.GWords.PlainCount()));
    addCloseButton();
    setItems(SortedIds(test.GWords, {GGroup::Pulse, GGroup::Frequency, GGroup::Delay}), start);
    refresh();
}

void TfmGWord::showItem()
{
    const SWord *word = m_test.GWords.Find(currentItem());
    if (!word)
        return;
    const GKind kind = GKindOf(*word);
    hideHeader(kContact);
    hideHeader(kUnits);
    switch (kind) {
    case GKind::Delay:
        setHeader(kType, QStringLiteral("временная задержка"));
        setHeader(kUnits, word->Code == -2 ? QStringLiteral("микросекунда")
                                           : QStringLiteral("миллисекунда"));
        break;
    case GKind::Frequency:
        setHeader(kType, QStringLiteral("задание частоты"));
        break;
    case GKind::Pulse:
        setHeader(kType, QStringLiteral("генератор импульсов"));
        setHeader(kContact, QString::number(word->Code));
        break;
    default:
        ReportInternalFailure("Неопределённое g-слово");
        return;
    }
    setWindowTitle(QStringLiteral("g-слово (%1)").arg(QString::fromStdString(word->Name)));
    setHeader(kCurrent, QString::number(word->Id));
    const bool debug = m_doc.DebugMode();
    for (int c = 0; c < shownCycles(); ++c) {
        setCell(cycleTable(), c, 0, QString::number(c + 1));
        setCell(cycleTable(), c, 1, Decimal(WordValue(*word, c, false)), kOlive);
        if (debug)
            setCell(cycleTable(), c, 2, Decimal(WordValue(*word, c, true)), kOlive);
    }
}

TfmFuncG::TfmFuncG(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, true, parent)
{
    setObjectName(QStringLiteral("fmFuncG"));
    for (const QString &caption : {kCurrent, kType})
        addHeader(caption);
    bitTable()->hide();
    setCount(QStringLiteral("Всего G-циклов: %1").arg(test.GWords.CycleCount()));
    addCloseButton();
    setItems(SortedIds(test.GWords, {GGroup::Cycle}), start);
    refresh();
}

void TfmFuncG::showItem()
{
    const SWord *word = m_test.GWords.Find(currentItem());
    if (!word)
        return;
    const GKind kind = GKindOf(*word);
    if (kind != GKind::CountedCycle && kind != GKind::ConditionalCycle) {
        ReportInternalFailure("Неопределённый G-цикл");
        return;
    }
    const bool counted = kind == GKind::CountedCycle;
    const bool debug = m_doc.DebugMode();
    const bool hasResults = m_doc.CurrentTest() >= 0 &&
                            m_doc.TestRunFlags()[static_cast<std::size_t>(m_doc.CurrentTest())];
    setWindowTitle(QStringLiteral("G-цикл (%1)").arg(QString::fromStdString(word->Name)));
    setHeader(kCurrent, QString::number(word->Id));
    setHeader(kType, counted ? QStringLiteral("счетный цикл") : QStringLiteral("выход по условию"));
    QStringList columns{QStringLiteral("Цикл:")};
    if (counted)
        columns << (debug ? QStringLiteral("Отладка:") : QStringLiteral("Данные:"));
    else
        columns << QStringLiteral("O-слово:");
    if (!counted && hasResults)
        columns << QStringLiteral("Прогоны:");
    setCycleColumns(columns);
    const std::string passes = m_test.GWords.GRun(word->Id);
    for (int c = 0; c < shownCycles(); ++c) {
        const auto value = WordValue(*word, c, debug);
        setCell(cycleTable(), c, 0, QString::number(c + 1));
        setCell(cycleTable(), c, 1,
                counted || !value ? Decimal(value) : QStringLiteral("o%1").arg(*value), kOlive);
        if (columns.size() == 3) {
            const bool visible = !debug || m_doc.RunDataVisible(c, -1);
            setCell(cycleTable(), c, 2, visible ? JoinedField(passes, c) : QString(), kTeal);
        }
    }
}

} // namespace qv::lists
