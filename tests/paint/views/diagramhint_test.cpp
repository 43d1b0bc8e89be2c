// The hints over the diagram's header, built without a window.

#include "infra/messages.h"
#include "paint/views/diagramhint.h"
#include "support/paint/viewfixture.h"

namespace qv {
namespace {

using DiagramHints = testing::ViewFixture;

TEST_F(DiagramHints, InputWordListsBusCodeAndEveryCycleInTheNumberBase)
{
    Test().Cycles = 2;
    AddWord(Test().IWords, 3, "Данные", "85/170", 0, 1);
    EXPECT_EQ(DiagramHint(document, 'i', 3),
              "i3=Данные\r\nb=1\r\nk=1\r\nДанные по циклам:\r\n55\r\nAA\r\n");
    document.StoreModeFlag(DocumentMode::Debug, true);
    Test().IWords.Find(3)->Run = "1/2";
    EXPECT_EQ(DiagramHint(document, 'i', 3),
              "i3=Данные\r\nb=1\r\nk=1\r\nДанные по циклам:\r\n1\r\n2\r\n");
}

TEST_F(DiagramHints, OutputWordShowsDataWithReferencesAfterARun)
{
    Test().Cycles = 2;
    AddWord(Test().OWords, 1, "Чтение", "5/6", 1, 0).Run = "5/\xFF";
    EXPECT_EQ(DiagramHint(document, 'o', 1),
              "O1=Чтение\r\nb=2\r\nk=0\r\n Эталон по циклам:\r\n5\r\n6\r\n");
    document.MarkTestRun(0, 1);
    EXPECT_EQ(DiagramHint(document, 'O', 1),
              "O1=Чтение\r\nb=2\r\nk=0\r\n Данные по циклам (эталон):\r\n5 (5)\r\n- - - (6)\r\n");
}

TEST_F(DiagramHints, GeneratorWordsNameTheirKind)
{
    document.Cnt().Names[17] = "WR";
    AddWord(Test().GWords, 1, "Такт", "10", 1, 17);
    AddWord(Test().GWords, 2, "Пауза", "20", 0, -2);
    AddWord(Test().GWords, 3, "Повтор", "3", 0, -10);
    AddWord(Test().GWords, 4, "До готовности", "2", 0, -20);
    EXPECT_EQ(DiagramHint(document, 'g', 1),
              "g1=Такт (генератор импульсов)\r\nконтакт:WR\r\nДанные по циклам:\r\nA\r\n");
    const std::string delay = DiagramHint(document, 'g', 2);
    EXPECT_EQ(delay.substr(0, delay.find("\r\n")), "g2=Пауза (временная задержка (мкс)");
    const std::string counted = DiagramHint(document, 'G', 3);
    EXPECT_EQ(counted.substr(0, counted.find("\r\n")), "G3=Повтор (счётный чикл)");
    const std::string conditional = DiagramHint(document, 'G', 4);
    EXPECT_EQ(conditional.substr(0, conditional.find("\r\n")),
              "G4=До готовности (выход по условию)");
}

TEST_F(DiagramHints, UnknownNumbersGiveTheCatalogueMessages)
{
    EXPECT_EQ(DiagramHint(document, 'i', 9), Msg(43));
    EXPECT_EQ(DiagramHint(document, 'o', 9), Msg(44));
    EXPECT_EQ(DiagramHint(document, 'g', 9), Msg(45));
    EXPECT_EQ(DiagramHint(document, 'G', 9), Msg(46));
    EXPECT_EQ(DiagramHint(document, 'F', 1), "");
    document.SelectTest(-1);
    EXPECT_EQ(DiagramHint(document, 'i', 9), "");
}

} // namespace
} // namespace qv
