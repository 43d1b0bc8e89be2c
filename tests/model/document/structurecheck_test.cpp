#include "infra/messages.h"
#include "model/document/structurecheck.h"
#include "model/test/stest.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A test with the given kind letters and one level line per levels text.
STest Diagram(const std::string &d1, const std::vector<std::string> &levels = {},
              const std::string &d2 = {})
{
    STest test;
    test.Tacts.D1 = d1;
    test.Tacts.D2 = d2.empty() ? std::string(d1.size(), '0') : d2;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        test.Tacts.AddLine();
        test.Tacts.SetLine(static_cast<int>(i), TLine{static_cast<int>(i) + 1, "", levels[i]});
    }
    return test;
}

std::string Notes(std::initializer_list<std::pair<int, int>> tactAndMessage)
{
    std::string notes;
    for (const auto &[tact, message] : tactAndMessage) {
        notes += "Такт №" + std::to_string(tact) + ": " + Msg(message) + "\r\n";
    }
    return notes;
}

TEST(StructureCheck, ASoundDiagramHasNoNotes)
{
    STest test = Diagram("-GiL-FoW-", {"000000001", "000000000"});
    EXPECT_EQ(CheckStructure(test), "");
}

TEST(StructureCheck, AnUnclosedGCycleIsNotedAtItsOpeningTact)
{
    EXPECT_EQ(CheckStructure(Diagram("--Gi")), Notes({{3, 114}}));
    EXPECT_EQ(CheckStructure(Diagram("GiGiL")), Notes({{1, 114}}));
    EXPECT_EQ(CheckStructure(Diagram("FiFoW")), Notes({{1, 115}}));
    EXPECT_EQ(CheckStructure(Diagram("-F")), Notes({{2, 115}}));
}

TEST(StructureCheck, ClosingLettersWithoutAnOpenBlockAreNoted)
{
    EXPECT_EQ(CheckStructure(Diagram("-L-C")), Notes({{2, 116}, {4, 117}}));
    // W and R after an M tact are that M-function's phases, not an F-block's end.
    EXPECT_EQ(CheckStructure(Diagram("MWR-PC")), "");
    EXPECT_EQ(CheckStructure(Diagram("MWFR-W")), Notes({{6, 117}}));
}

TEST(StructureCheck, LevelsThatDifferAcrossAClosedBlockAreNotedOnceAtBothEnds)
{
    STest test = Diagram("G-L--", {"01100"}); // contact changes between G and L
    EXPECT_EQ(CheckStructure(test), Notes({{1, 118}, {3, 118}}));
    STest f = Diagram("F-W", {"011", "000"});
    EXPECT_EQ(CheckStructure(f), Notes({{1, 119}, {3, 119}}));
}

TEST(StructureCheck, GCyclesMustCloseWithTheLetterOfTheirKind)
{
    STest test = Diagram("GENL", {}, "1000");
    test.GWords.Add(1);
    SWord counted = *test.GWords.Find(1);
    counted.Code = -10;
    test.GWords.Replace(counted);
    // E and N close the cycle but do not fit a counted cycle; L does. E and N
    // themselves close nothing open any more.
    EXPECT_EQ(CheckStructure(test), Notes({{3, 116}, {4, 116}, {1, 128}, {1, 128}}));

    counted.Code = -20;
    test.GWords.Replace(counted);
    EXPECT_EQ(CheckStructure(test), Notes({{3, 116}, {4, 116}}));
}

TEST(StructureCheck, FFunctionsWhoseValuesDoNotFitAreNoted)
{
    STest test = Diagram("-FiW-FiW", {}, "01000200");
    const auto fits = [](int number) { return number != 2; };
    EXPECT_EQ(CheckStructure(test, fits), Notes({{6, 127}}));
}

TEST(StructureCheck, OnlyOneContactMayChangeAndOnlyInALevelChangeTact)
{
    // Tact 2 changes two contacts: one too many (noted at tact 1) and both in
    // an input-word tact (noted at tact 2).
    STest test = Diagram("-i-", {"011", "010", "000"});
    EXPECT_EQ(CheckStructure(test), Notes({{1, 120}, {2, 121}, {2, 121}}));
    EXPECT_EQ(CheckStructure(Diagram("--", {"01", "01"})), Notes({{1, 120}}));
}

} // namespace
} // namespace qv
