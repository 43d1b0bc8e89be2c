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
        AddHeader(caption);
    setFixedWidth(doc.DebugMode() ? kDebugWidth : kWidth);
    QStringList columns{QStringLiteral("Цикл:"), QStringLiteral("Данные:")};
    if (doc.DebugMode())
        columns << QStringLiteral("Отладка:");
    SetCycleColumns(columns);
    BitTable()->hide();
    SetCount(QStringLiteral("Всего g-слов: %1").arg(test.GWords.PlainCount()));
    AddCloseButton();
    SetItems(SortedIds(test.GWords, {GGroup::Pulse, GGroup::Frequency, GGroup::Delay}), start);
    Refresh();
}

void TfmGWord::ShowItem()
{
    const SWord *word = m_test.GWords.Find(CurrentItem());
    if (!word)
        return;
    const GKind kind = GKindOf(*word);
    HideHeader(kContact);
    HideHeader(kUnits);
    switch (kind) {
    case GKind::Delay:
        SetHeader(kType, QStringLiteral("временная задержка"));
        SetHeader(kUnits, word->Code == -2 ? QStringLiteral("микросекунда")
                                           : QStringLiteral("миллисекунда"));
        break;
    case GKind::Frequency:
        SetHeader(kType, QStringLiteral("задание частоты"));
        break;
    case GKind::Pulse:
        SetHeader(kType, QStringLiteral("генератор импульсов"));
        SetHeader(kContact, QString::number(word->Code));
        break;
    default:
        ReportInternalFailure("Неопределённое g-слово");
        return;
    }
    setWindowTitle(QStringLiteral("g-слово (%1)").arg(QString::fromStdString(word->Name)));
    SetHeader(kCurrent, QString::number(word->Id));
    const bool debug = m_doc.DebugMode();
    for (int c = 0; c < ShownCycles(); ++c) {
        SetCell(CycleTable(), c, 0, QString::number(c + 1));
        SetCell(CycleTable(), c, 1, Decimal(WordValue(*word, c, false)), kOlive);
        if (debug)
            SetCell(CycleTable(), c, 2, Decimal(WordValue(*word, c, true)), kOlive);
    }
}

TfmFuncG::TfmFuncG(TQuorvik &doc, STest &test, int start, QWidget *parent)
    : ListWindow(doc, test, true, parent)
{
    setObjectName(QStringLiteral("fmFuncG"));
    for (const QString &caption : {kCurrent, kType})
        AddHeader(caption);
    BitTable()->hide();
    SetCount(QStringLiteral("Всего G-циклов: %1").arg(test.GWords.CycleCount()));
    AddCloseButton();
    SetItems(SortedIds(test.GWords, {GGroup::Cycle}), start);
    Refresh();
}

void TfmFuncG::ShowItem()
{
    const SWord *word = m_test.GWords.Find(CurrentItem());
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
    SetHeader(kCurrent, QString::number(word->Id));
    SetHeader(kType, counted ? QStringLiteral("счетный цикл") : QStringLiteral("выход по условию"));
    QStringList columns{QStringLiteral("Цикл:")};
    if (counted)
        columns << (debug ? QStringLiteral("Отладка:") : QStringLiteral("Данные:"));
    else
        columns << QStringLiteral("O-слово:");
    if (!counted && hasResults)
        columns << QStringLiteral("Прогоны:");
    SetCycleColumns(columns);
    const std::string passes = m_test.GWords.GRun(word->Id);
    for (int c = 0; c < ShownCycles(); ++c) {
        const auto value = WordValue(*word, c, debug);
        SetCell(CycleTable(), c, 0, QString::number(c + 1));
        SetCell(CycleTable(), c, 1,
                counted || !value ? Decimal(value) : QStringLiteral("o%1").arg(*value), kOlive);
        if (columns.size() == 3) {
            const bool visible = !debug || m_doc.RunDataVisible(c, -1);
            SetCell(CycleTable(), c, 2, visible ? JoinedField(passes, c) : QString(), kTeal);
        }
    }
}

} // namespace qv::lists
