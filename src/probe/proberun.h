#pragma once

// The probe as the run sees it: the V-function chosen on the run window's
// start page prepares the device (Open), the cycle range starts capturing
// once the program is compiled (Start), and the end of the run closes the
// device and reports its failure once (Close, ReportMessage).

#include "execution/run/runsession.h"

namespace qv {

class TQuorvik;
class TSkopel;

class ProbeRun final : public VFunctionProbe
{
public:
    ProbeRun(TQuorvik &doc, TSkopel &skopel);

    // Makes the chosen function the test's active one and opens the device.
    bool Prepare(int vFunction) override;
    // last is the last cycle to capture (inclusive).
    bool SetCycleRange(int first, int last) override;
    // Closes the device (the captured waveforms go into the V-function) and
    // shows its failure; does nothing when the run did not use the probe.
    void SaveData() override;

private:
    TQuorvik &m_doc;
    TSkopel &m_skopel;
    bool m_used = false; // prepared since the last SaveData
};

} // namespace qv
