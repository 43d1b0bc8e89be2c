#include "probe/simprobelink.h"

#include "sim/scope.h"

#include <algorithm>

namespace qv::probe {

SimProbeLink::SimProbeLink() = default;
SimProbeLink::~SimProbeLink() = default;

LinkStatus SimProbeLink::OpenEx(std::string_view description, std::uint32_t flags)
{
    if (m_device)
        return LinkStatus::DeviceNotOpened; // already open
    if (flags != kOpenByDescription || description != sim::kScopeDescription)
        return LinkStatus::DeviceNotFound;
    m_device = std::make_unique<sim::SimulatedScope>();
    return LinkStatus::Ok;
}

LinkStatus SimProbeLink::Purge(std::uint32_t mask)
{
    if (!m_device)
        return LinkStatus::InvalidHandle;
    m_device->Purge(mask);
    return LinkStatus::Ok;
}

LinkStatus SimProbeLink::GetQueueStatus(std::uint32_t &queued)
{
    if (!m_device)
        return LinkStatus::InvalidHandle;
    queued = static_cast<std::uint32_t>(m_device->Queued());
    return LinkStatus::Ok;
}

LinkStatus SimProbeLink::Read(std::span<std::uint8_t> buffer, std::uint32_t &received)
{
    if (!m_device)
        return LinkStatus::InvalidHandle;
    received = static_cast<std::uint32_t>(m_device->Read(buffer));
    return LinkStatus::Ok;
}

LinkStatus SimProbeLink::Write(std::span<const std::uint8_t> bytes, std::uint32_t &written)
{
    if (!m_device)
        return LinkStatus::InvalidHandle;
    m_device->Write(bytes);
    written = static_cast<std::uint32_t>(bytes.size());
    return LinkStatus::Ok;
}

LinkStatus SimProbeLink::Close()
{
    if (!m_device)
        return LinkStatus::InvalidHandle;
    m_device.reset();
    return LinkStatus::Ok;
}

} // namespace qv::probe
