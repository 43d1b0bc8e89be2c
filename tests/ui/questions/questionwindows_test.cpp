// The windows of the unit's questions about failed F-, M- and P-functions:
// what they read from the record and what the operator's answer gives.

#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/questions/functionquestion.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <tuple>
#include <vector>

namespace qv::testing {
namespace {

using QuestionWindows = DeskFixture;
using questions::AskFunctionQuestion;
using questions::TfmFuncAsk;

QString Text(const TfmFuncAsk &window, int row, int column)
{
    const QTableWidgetItem *item = window.List()->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

TEST_F(QuestionWindows, AnFQuestionWithoutDataReadsTheCountAtEightAndInvertsOnlyTheReadValue)
{
    TQuorvik &doc = WindowWithDemo().Document();
    // F3 of test 1 at address 0x10; output word 3 (inverse, 8 bits) read 0x12.
    const std::vector<std::uint8_t> record{1, 1, 3, 0x10, 0, 0, 0, 0, 1, 3, 0x12, 0};
    int answer = -1;
    ModalWatch<TfmFuncAsk> watch([&](TfmFuncAsk &w) {
        EXPECT_EQ(w.objectName(), "fmFuncF_ask");
        EXPECT_EQ(w.ValueOf("F -функция:"), "F3");
        EXPECT_EQ(w.ValueOf("Текущий адрес:"), "10");
        EXPECT_EQ(w.ValueOf("Алгоритм:"), "") << "no algorithm line for F";
        ASSERT_EQ(w.List()->rowCount(), 2);
        EXPECT_EQ(Text(w, 0, 0), "параметр");
        EXPECT_EQ(Text(w, 1, 0), "o3 (Инверсные данные)");
        EXPECT_EQ(Text(w, 1, 1), "AA") << "the reference as stored";
        EXPECT_EQ(Text(w, 1, 2), "ED") << "0x12 inverted within the mask 0xFF";
        QTest::mouseClick(w.YesButton(), Qt::LeftButton);
    });
    answer = AskFunctionQuestion(doc, QuestionKind::FFunction, record, {}, window.get());
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(answer, 1);
}

TEST_F(QuestionWindows, APQuestionWithDataReadsTheCountAtTwelveAfterTheValueLine)
{
    TQuorvik &doc = WindowWithDemo().Document();
    const std::vector<std::uint8_t> record{3,    1,    1, 0, 1,    0, 0, 1,  0x34, 0x12,
                                           0x35, 0x12, 2, 1, 0x55, 0, 2, 14, 0};
    const auto question = questions::ReadFunctionQuestion(doc, QuestionKind::PFunction, record);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->address, 0x100u);
    ASSERT_EQ(question->lines.size(), 3u);
    EXPECT_EQ(question->lines[0].parameter, "значение P - функции");
    EXPECT_EQ(question->lines[0].reference, "1234");
    EXPECT_EQ(question->lines[0].data, "1235");
    EXPECT_EQ(question->lines[1].parameter, "o1 (Чтение данных)");
    EXPECT_EQ(question->lines[2].parameter, "O2 (Готовность)") << "a wait word";
    EXPECT_EQ(question->lines[2].outputWord, 2);
}

TEST_F(QuestionWindows, TheMDialogInvertsReferenceAndDataOfAnInverseWord)
{
    TQuorvik &doc = WindowWithDemo().Document();
    const std::vector<std::uint8_t> record{2, 1, 1, 0x2C, 0x01, 0x00, 2, 0, 1, 3, 0x12, 0};
    const auto question = questions::ReadFunctionQuestion(doc, QuestionKind::MFunction, record);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->address, 0x12Cu);
    EXPECT_EQ(question->algorithm, 2);
    ASSERT_EQ(question->lines.size(), 1u);
    EXPECT_EQ(question->lines[0].reference, "55");
    EXPECT_EQ(question->lines[0].data, "ED");
    TfmFuncAsk window(doc, *question, {});
    EXPECT_EQ(window.objectName(), "fmMError");
    EXPECT_EQ(window.ValueOf("Алгоритм:"), "Марш-тест");
    EXPECT_EQ(window.List()->columnWidth(1), TfmFuncAsk::kValueColumn);
    EXPECT_TRUE(window.YesButton()->isDefault());
}

TEST_F(QuestionWindows, ClosingTheWindowAnswersNoAndAClickOnAWordOpensItsList)
{
    TQuorvik &doc = WindowWithDemo().Document();
    const std::vector<std::uint8_t> record{2, 1, 1, 0, 0, 0, 0, 0, 1, 2, 14, 0};
    std::vector<std::tuple<int, char, int>> opened;
    ModalWatch<TfmFuncAsk> watch([&](TfmFuncAsk &w) {
        const QRect cell = w.List()->visualItemRect(w.List()->item(1, 0));
        QTest::mouseClick(w.List()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseClick(w.InfoButton(), Qt::LeftButton);
        w.close();
    });
    const int answer = AskFunctionQuestion(
        doc, QuestionKind::MFunction, record,
        [&](int test, char kind, int number) { opened.emplace_back(test, kind, number); },
        window.get());
    EXPECT_EQ(answer, 0);
    // The lists of the question's test (record byte 1: test 1).
    EXPECT_EQ(opened, (std::vector<std::tuple<int, char, int>>{{0, 'o', 2}, {0, 'M', 1}}));
}

TEST_F(QuestionWindows, AShortOrForeignRecordGivesTheCorruptionMessageAnd255)
{
    TQuorvik &doc = WindowWithDemo().Document();
    const std::vector<std::uint8_t> shortRecord{2, 1, 1};
    EXPECT_EQ(AskFunctionQuestion(doc, QuestionKind::MFunction, shortRecord, {}, window.get()),
              255);
    const std::vector<std::uint8_t> foreign{1, 1, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AskFunctionQuestion(doc, QuestionKind::MFunction, foreign, {}, window.get()), 255);
    // Entries cut short by the record's end are left out.
    const std::vector<std::uint8_t> cut{1, 1, 1, 0, 0, 0, 0, 0, 5, 1, 0x55, 0, 2};
    const auto question = questions::ReadFunctionQuestion(doc, QuestionKind::FFunction, cut);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->lines.size(), 1u);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>(2, "Данные, полученные от блока диагностики, повреждены")));
}

} // namespace
} // namespace qv::testing
