#pragma once

// The probe link to the real device through libftdi1: the chip is found by
// the FTDI vendor id, one of the usual product ids and the USB description
// string. The device's baud rate, latency, timeouts and bit mode stay at
// their defaults. libftdi has no queue status of its own: GetQueueStatus
// reads what the chip has into a local queue, which Read then hands out.

#include "probe/probelink.h"

#include <vector>

struct ftdi_context;

namespace qv::probe {

class FtdiLink final : public ProbeLink
{
public:
    FtdiLink();
    ~FtdiLink() override;

    LinkStatus OpenEx(std::string_view description, std::uint32_t flags) override;
    LinkStatus Purge(std::uint32_t mask) override;
    LinkStatus GetQueueStatus(std::uint32_t &queued) override;
    LinkStatus Read(std::span<std::uint8_t> buffer, std::uint32_t &received) override;
    LinkStatus Write(std::span<const std::uint8_t> bytes, std::uint32_t &written) override;
    LinkStatus Close() override;

private:
    ftdi_context *m_context = nullptr;    // owned; non-null while open
    std::vector<std::uint8_t> m_received; // read from the chip, not handed out yet
};

} // namespace qv::probe
