#pragma once

// A byte stream to the diagnostics unit. The port keeps one reader thread
// blocked in Read while any thread may Write; Close may come from any thread
// and ends a blocked Read or Write.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace qv {

struct UnitAddress;

class UnitLink
{
public:
    virtual ~UnitLink() = default;

    // Whether the endpoint is there (a listening unit, a device node, a
    // loadable board); *why tells what is missing.
    virtual bool Present(std::string *why) = 0;
    // Makes the connection; a connection still open is closed first.
    virtual bool Open(std::chrono::milliseconds timeout, std::string *error) = 0;
    // Ends the connection: a Read or Write in progress returns at once. The
    // link can be opened again afterwards.
    virtual void Close() = 0;
    // Writes every byte, or fails when the connection ends or the time-out
    // passes first.
    virtual bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
                       std::string *error) = 0;
    // Blocks until bytes arrive: their count, or 0 once the connection has
    // ended (closed by either side or failed).
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// The link for an address (its board file, for sim, is read on first use).
std::unique_ptr<UnitLink> MakeUnitLink(const UnitAddress &address);

} // namespace qv
