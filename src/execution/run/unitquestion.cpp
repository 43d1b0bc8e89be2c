#include "execution/run/unitquestion.h"

#include "model/document/quorvik.h"
#include "model/functions/funcf.h"
#include "model/functions/funcm.h"
#include "model/functions/prog.h"
#include "model/test/stest.h"

namespace qv {

namespace {

template <class List>
std::string NameIn(const List &list, int number)
{
    const auto *record = list.ByNumber(number);
    return record ? record->Name : std::string();
}

} // namespace

std::optional<QuestionKind> QuestionKindOf(std::span<const std::uint8_t> record)
{
    if (record.empty() || record[0] < static_cast<std::uint8_t>(QuestionKind::FFunction) ||
        record[0] > static_cast<std::uint8_t>(QuestionKind::TestStarted))
        return std::nullopt;
    return static_cast<QuestionKind>(record[0]);
}

bool AsksAboutFunction(QuestionKind kind)
{
    return kind == QuestionKind::FFunction || kind == QuestionKind::MFunction ||
           kind == QuestionKind::PFunction;
}

char QuestionLetter(QuestionKind kind)
{
    switch (kind) {
    case QuestionKind::FFunction:
        return 'F';
    case QuestionKind::MFunction:
        return 'M';
    case QuestionKind::PFunction:
        return 'P';
    default:
        return '?';
    }
}

std::string UnitQuestionText(const TQuorvik &doc, QuestionKind kind,
                             std::span<const std::uint8_t> record)
{
    const char letter = QuestionLetter(kind);
    const int testNumber = record.size() > 1 ? record[1] : 0;
    const int number = record.size() > 2 ? record[2] : 0;
    std::string name;
    if (const STest *test = doc.Test(testNumber - 1)) {
        if (kind == QuestionKind::FFunction)
            name = NameIn(test->FFuncs, number);
        else if (kind == QuestionKind::MFunction)
            name = NameIn(test->MFuncs, number);
        else if (kind == QuestionKind::PFunction)
            name = NameIn(test->PFuncs, number);
    }
    // The M-function's texts have no space before the dash.
    const std::string dash = kind == QuestionKind::MFunction ? "-" : " -";
    std::string text = "Найдены ошибки при отработке ";
    text += letter;
    text += dash + "функции.\r\n";
    text += letter;
    text += dash + "функция: ";
    text += letter;
    text += std::to_string(number);
    if (!name.empty())
        text += " (\"" + name + "\")";
    text += "\r\nТест №" + std::to_string(testNumber);
    text += "\r\nПродолжить выполнение теста?";
    return text;
}

} // namespace qv
