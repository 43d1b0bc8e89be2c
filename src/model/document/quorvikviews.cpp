// The document's side of the two views: filling their content.

#include "model/content/maddresses.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"

namespace qv {
namespace {

constexpr std::size_t kWaitsAsTimesSwitch = TSettings::OptWaitsAsTimes;

} // namespace

void TQuorvik::FillDiagramView()
{
    const STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
    m_diagramShape = FillDiagram(test, m_cnt, m_probeMode, m_diagramView);
    if (test) {
        TactResults results;
        results.results = m_testRunFlags[static_cast<std::size_t>(m_currentTest)] != 0;
        results.errorCounts = m_errorCounts;
        MarkTactStates(test->Tacts, test, results, m_diagramView);
        if (results.results)
            MarkReadLevels(*test, m_doc.Tyres, test->ActiveCycle, m_diagramView);
    }
    m_tactCount = test ? test->Tacts.TactCount() : 0;
}

void TQuorvik::FillTableView()
{
    STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
    m_mList.clear();
    if (test) {
        m_mList = CollectMList(test->Tacts);
        if (m_debugMode)
            WriteMAddressWords(*test, m_mList, m_doc.Tyres, test->ActiveCycle);
    }
    TableSource source;
    source.doc = &m_doc;
    source.test = test;
    source.debugMode = m_debugMode;
    source.fullTable = m_fullTable;
    source.runFlag = test ? m_testRunFlags[static_cast<std::size_t>(m_currentTest)] : 0;
    source.waitsAsTimes = m_display.Switches[kWaitsAsTimesSwitch] != 0;
    m_cycleRows = FillTable(source, m_tableView);
    if (test && m_debugMode)
        AddMAddressNotes(m_tableView, *test, m_mList, m_doc.Sys);
}

bool TQuorvik::RunDataVisible(int cycle, int outputWord) const
{
    const STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
    if (!test)
        return false;
    return qv::RunDataVisible(*test, m_testRunFlags[static_cast<std::size_t>(m_currentTest)],
                              m_debugMode, cycle, outputWord);
}

} // namespace qv
