#pragma once

// The probe link to the simulated probe of the simulated unit: the device
// exists while the link is open, and answers the unit's triggers in this
// process.

#include "probe/probelink.h"

namespace qv::sim {
class SimulatedScope;
}

namespace qv::probe {

class SimProbeLink final : public ProbeLink
{
public:
    SimProbeLink();
    ~SimProbeLink() override;

    LinkStatus OpenEx(std::string_view description, std::uint32_t flags) override;
    LinkStatus Purge(std::uint32_t mask) override;
    LinkStatus GetQueueStatus(std::uint32_t &queued) override;
    LinkStatus Read(std::span<std::uint8_t> buffer, std::uint32_t &received) override;
    LinkStatus Write(std::span<const std::uint8_t> bytes, std::uint32_t &written) override;
    LinkStatus Close() override;

private:
    std::unique_ptr<sim::SimulatedScope> m_device; // null while closed
};

} // namespace qv::probe
