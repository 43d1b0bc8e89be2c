#include "execution/link/unitlink.h"

#include "execution/link/seriallink.h"
#include "execution/link/simlink.h"
#include "execution/link/tcplink.h"
#include "execution/link/unitaddress.h"

namespace qv {

std::unique_ptr<UnitLink> MakeUnitLink(const UnitAddress &address)
{
    switch (address.transport) {
    case UnitAddress::Transport::Tcp:
        return std::make_unique<TcpLink>(address.host, address.port);
    case UnitAddress::Transport::Serial:
        return std::make_unique<SerialLink>(address.device, address.baud);
    case UnitAddress::Transport::Sim:
        break;
    }
    return std::make_unique<SimLink>(address.boardFile);
}

} // namespace qv
