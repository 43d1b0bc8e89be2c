#pragma once

// The setting "Адрес блока диагностики": which transport reaches the unit.
//   sim                      the simulated unit inside the program
//   sim:FILE                 the same, with a board file (docs/unit-simulator.md)
//   tcp://HOST:PORT          a unit or quorvik-unitsim over TCP ([::1] for IPv6)
//   serial:DEVICE[?baud=N]   a unit on a USB serial device, 115200 baud by default

#include <optional>
#include <string>
#include <string_view>

namespace qv {

struct UnitAddress
{
    enum class Transport { Sim, Tcp, Serial };

    Transport transport = Transport::Sim;
    std::string text; // as configured, for messages
    std::string boardFile;
    std::string host;
    int port = 0;
    std::string device;
    int baud = 115200;
};

inline constexpr std::string_view kDefaultUnitAddress = "sim";

// The parsed address, or nullopt with the reason in *why (Russian, without
// the address itself).
std::optional<UnitAddress> ParseUnitAddress(std::string_view text, std::string *why);

// The operator's message for an address that cannot be used, naming it.
std::string BadUnitAddressMessage(std::string_view text, std::string_view why);

} // namespace qv
