#include "execution/run/unitquestion.h"

#include "model/document/quorvik.h"
#include "model/document/stest.h"
#include "model/functions/funcf.h"
#include "model/functions/funcm.h"
#include "model/functions/prog.h"

namespace qv {

namespace {

template <class List>
std::string NameIn(const List &list, int number)
{
    const auto *record = list.ByNumber(number);
    return record ? record->Name : std::string();
}

} // namespace

char QuestionLetter(int kind)
{
    switch (kind) {
    case 1:
        return 'F';
    case 2:
        return 'M';
    case 3:
        return 'P';
    default:
        return '?';
    }
}

std::string UnitQuestionText(const TQuorvik &doc, int kind, std::span<const std::uint8_t> record)
{
    const char letter = QuestionLetter(kind);
    const int testNumber = record.size() > 1 ? record[1] : 0;
    const int number = record.size() > 2 ? record[2] : 0;
    std::string name;
    if (const STest *test = doc.Test(testNumber - 1)) {
        if (kind == 1)
            name = NameIn(test->FFuncs, number);
        else if (kind == 2)
            name = NameIn(test->MFuncs, number);
        else if (kind == 3)
            name = NameIn(test->PFuncs, number);
    }
    // The M-function's texts have no space before the dash.
    const std::string dash = kind == 2 ? "-" : " -";
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
