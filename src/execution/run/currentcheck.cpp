#include "execution/run/currentcheck.h"

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/notice.h"

namespace qv {

bool CheckCurrentsNow(TCP &tester, TthHardStatus *monitor)
{
    const bool locked = monitor != nullptr && monitor->Lock(3000);
    const SComPort port = tester.Port();
    bool passed = false;
    {
        const PortVoiceScope loud(*port, PortVoice::Loud);
        passed = port->CheckCurrents(0, 0) != 0;
    }
    port->SetError(std::nullopt);
    if (locked)
        monitor->Unlock();
    if (passed)
        Tell(tester.Notices(),
             {NoticeKind::Information, std::string(kCurrentsInLimits), std::string(kPortCaption)});
    return passed;
}

} // namespace qv
