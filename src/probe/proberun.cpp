#include "probe/proberun.h"

#include "model/document/quorvik.h"
#include "probe/skopel.h"

namespace qv {

ProbeRun::ProbeRun(TQuorvik &doc, TSkopel &skopel)
    : m_doc(doc)
    , m_skopel(skopel)
{}

bool ProbeRun::Prepare(int vFunction)
{
    STest *test = m_doc.Test(m_doc.CurrentTest());
    if (test == nullptr || test->VFuncs.ByNumber(vFunction) == nullptr)
        return false;
    test->VFuncs.SetActive(vFunction);
    m_used = true;
    return m_skopel.Open();
}

bool ProbeRun::SetCycleRange(int first, int last)
{
    return m_skopel.Start(first, last + 1);
}

void ProbeRun::SaveData()
{
    if (!m_used)
        return;
    m_used = false;
    m_skopel.Close();
    m_skopel.ReportMessage();
}

} // namespace qv
