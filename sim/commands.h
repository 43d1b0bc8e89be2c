#pragma once

// The unit's command handlers. A handler receives the session and the host's
// request and sends exactly one answer through the session (Ack, Data, Warn
// or Fail), now or later. The standard groups are installed by
// RegisterStandardCommands; later groups (device programs, probe, memory)
// add their own Register function and replace the handlers they take over.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv::sim {

class Session;

struct Request
{
    int code = 0;
    std::uint16_t seq = 0;
    std::uint32_t value = 0;
    std::vector<std::uint8_t> data;
};

using Handler = std::function<void(Session &, const Request &)>;

class CommandTable
{
public:
    void Set(int code, Handler handler);
    // The handler of a code, or nullptr when the unit does not know it.
    const Handler *Find(int code) const;

private:
    std::array<Handler, 39> m_handlers;
};

void RegisterLinkCommands(CommandTable &table);     // INIT, EXIT, HARD_RESET
void RegisterTransferCommands(CommandTable &table); // DATA_*, CP_DATA_REQ
void RegisterTestCommands(
    CommandTable &table); // QORV_RESET, BUILD_INFO, UKT, QORV_CNTID, QORV_DATA
void RegisterCalibrationCommands(CommandTable &table); // QORV_CALIBR, QORV_GET_T1/T2/T3
void RegisterStandardCommands(CommandTable &table);

// Error numbers of ERROR frames.
enum UnitError : std::uint32_t {
    kErrUnknownCommand = 1,
    kErrMalformed = 2,
    kErrNoFile = 3,
    kErrNoMemory = 4,
    kErrTransferOrder = 5,
    kErrNotAvailable = 6,
    kErrBusy = 7,
};

} // namespace qv::sim
