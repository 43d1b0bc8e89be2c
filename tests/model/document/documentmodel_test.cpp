#include "model/core/modelfailure.h"
#include "model/document/documentmodel.h"
#include "model/test/sqor.h"
#include "model/words/wordvalues.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A file with buses of 5, 8 and 16 contacts and one test of 3 cycles.
class DocumentModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doc.Tyres.Add("\x01\x02\x03\x04\x05");
        doc.Tyres.Add("\x01\x02\x03\x04\x05\x06\x07\x08");
        doc.Tyres.Add(std::string(16, '\x09'));
        doc.Tests[0] = std::make_unique<STest>();
        doc.NTest = 1;
        test().Cycles = 3;
        AddWord(test().IWords, 1, 0, 0); // inverse, 5 contacts
        AddWord(test().IWords, 2, 0, 1); // direct
        AddWord(test().OWords, 3, 1, 0); // inverse, 8 contacts
        AddWord(test().OWords, 4, 2, 0); // inverse, 16 contacts
        AddWord(test().OWords, 5, 7, 0); // a bus the file does not have
    }

    static void AddWord(TWord &list, int id, int tyre, int code)
    {
        list.Add(id);
        SWord word = *list.Find(id);
        word.Name = std::string("w");
        word.Tyre = tyre;
        word.Code = code;
        list.Replace(word);
    }

    STest &test() { return *doc.Tests[0]; }

    SQor doc;
};

TEST_F(DocumentModel, InverseWordsMaskTheBitsOfTheirBus)
{
    EXPECT_EQ(WordMask(doc, 'i', 1, 0), 0x001F);
    EXPECT_EQ(WordMask(doc, 'i', 2, 0), 0);
    EXPECT_EQ(WordMask(doc, 'o', 3, 0), 0x00FF);
    EXPECT_EQ(WordMask(doc, 'o', 4, 0), 0xFFFF);
    EXPECT_EQ(WordMask(doc, 'o', 5, 0), 0); // bus 7 of 3: "Z", no bits
    EXPECT_EQ(doc.Tyres.Definition(7), "Z");
    EXPECT_EQ(WordMask(doc, 'g', 1, 0), 0);
    EXPECT_EQ(WordMask(doc, 'i', 9, 0), 0);
    EXPECT_EQ(WordMask(doc, 'i', 1, 5), 0);
    try {
        WordMask(doc, 'x', 1, 0);
        FAIL() << "no error for an unknown kind";
    } catch (const InternalError &error) {
        EXPECT_STREQ(error.what(), "TQuorvik::WordMask");
    }
}

TEST_F(DocumentModel, ValuesMustFitTheBusOfTheirWord)
{
    EXPECT_EQ(ValueFitsWord(doc, test(), 31, 1), -1);
    EXPECT_EQ(ValueFitsWord(doc, test(), 32, 1), 13);
    EXPECT_EQ(ValueFitsWord(doc, test(), 65535, 1004), -1);
    EXPECT_EQ(ValueFitsWord(doc, test(), 65536, 1004), 13);
    EXPECT_EQ(ValueFitsWord(doc, test(), 1, 1005), 13); // no bus: no bits
    EXPECT_EQ(ValueFitsWord(doc, test(), 1 << 30, 2001), -1);
}

TEST_F(DocumentModel, ResettingRunsRestoresReferencesOfInputAndKnownGeneratorWords)
{
    test().IWords.SetText(1, "1/2/3", ValueSet::Reference);
    test().IWords.SetText(1, "9/9/9", ValueSet::Run);
    SWord constant = *test().IWords.Find(2);
    constant.Name.clear();
    constant.Data = std::string("4");
    constant.Run = "5/5/5";
    test().IWords.Replace(constant);
    AddWord(test().GWords, 1, 0, -10);
    AddWord(test().GWords, 2, 0, 3); // undefined kind: left alone
    for (int id : {1, 2}) {
        test().GWords.SetText(id, "7/7/7", ValueSet::Reference);
        test().GWords.SetText(id, "8/8/8", ValueSet::Run);
    }
    test().OWords.SetText(3, "1/1/1", ValueSet::Run);

    ResetWordRuns(test());
    EXPECT_EQ(test().IWords.Find(1)->Run, "1/2/3");
    EXPECT_EQ(test().IWords.Find(2)->Run, "4/4/4");
    EXPECT_EQ(test().GWords.Find(1)->Run, "7/7/7");
    EXPECT_EQ(test().GWords.Find(2)->Run, "8/8/8");
    EXPECT_EQ(test().OWords.Find(3)->Run, "1/1/1"); // read-back values stay
}

TEST_F(DocumentModel, EnteringDebugModeMakesTheWholeDiagramTheDebugRange)
{
    test().Tacts.D1 = std::string(40, '-');
    test().DebugFirst = 5;
    doc.Tests[1] = std::make_unique<STest>(); // no tacts at all
    EnterDebugRanges(doc);
    EXPECT_EQ(test().DebugFirst, 0);
    EXPECT_EQ(test().DebugLast, 39);
    EXPECT_EQ(doc.Tests[1]->DebugLast, -1);
}

TEST_F(DocumentModel, ProbeModeGivesEveryEmptyCycleTheDefaultProbe)
{
    test().Tacts.D1 = "----";
    test().Probes.resize(3);
    test().Probes[1] = {DefaultProbe(4), SZond{"A", "xxxx", "0101", false, -1}};
    AddDefaultProbes(test());
    ASSERT_EQ(test().Probes.size(), 3u);
    EXPECT_EQ(test().ProbeCount(0), 1);
    EXPECT_EQ(test().ProbeCount(1), 2);
    EXPECT_EQ(test().Probes[2][0].Name, "Зонд");
    EXPECT_EQ(test().Probes[2][0].Measured, "xxxx");
    EXPECT_EQ(test().ProbeFlags.size(), 3u);
}

} // namespace
} // namespace qv
