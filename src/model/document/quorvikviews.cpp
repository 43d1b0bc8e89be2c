// The document's side of the two views: filling their content.

#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/functions/maddresses.h"
#include "model/settings/settings.h"

namespace qv {
namespace {

constexpr std::size_t kWaitsAsTimesSwitch = TSettings::OptWaitsAsTimes;

} // namespace

void TQuorvik::FillDiagramView()
{
    const STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
    DiagramShape = FillDiagram(test, Cnt, ProbeMode, DiagramView);
    if (test) {
        TactResults results;
        results.results = TestRunFlags[static_cast<std::size_t>(CurrentTest)] != 0;
        results.errorCounts = ErrorCounts;
        MarkTactStates(test->Tacts, test, results, DiagramView);
        if (results.results)
            MarkReadLevels(*test, Doc.Tyres, test->ActiveCycle, DiagramView);
    }
    TactCount = test ? test->Tacts.TactCount() : 0;
}

void TQuorvik::FillTableView()
{
    STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
    MList.clear();
    if (test) {
        MList = CollectMList(test->Tacts);
        if (DebugMode)
            WriteMAddressWords(*test, MList, Doc.Tyres, test->ActiveCycle);
    }
    TableSource source;
    source.doc = &Doc;
    source.test = test;
    source.debugMode = DebugMode;
    source.fullTable = FullTable;
    source.runFlag = test ? TestRunFlags[static_cast<std::size_t>(CurrentTest)] : 0;
    source.waitsAsTimes = Display.Switches[kWaitsAsTimesSwitch] != 0;
    CycleRows = FillTable(source, TableView);
    if (test && DebugMode)
        AddMAddressNotes(TableView, *test, MList, Doc.Sys);
}

bool TQuorvik::RunDataVisible(int cycle, int outputWord) const
{
    const STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
    if (!test)
        return false;
    return qv::RunDataVisible(*test, TestRunFlags[static_cast<std::size_t>(CurrentTest)], DebugMode,
                              cycle, outputWord);
}

} // namespace qv
