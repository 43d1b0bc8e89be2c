#include "probe/ftdilink.h"

#include <algorithm>
#include <array>
#include <ftdi.h>
#include <string>

namespace qv::probe {

namespace {

constexpr int kVendor = 0x0403;
constexpr std::array<int, 5> kProducts{0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
// What one poll of the chip takes at most.
constexpr std::size_t kChunk = 4096;
// Beyond this the local queue stops growing until it is read.
constexpr std::size_t kQueueLimit = 1 << 20;

} // namespace

FtdiLink::FtdiLink() = default;

FtdiLink::~FtdiLink()
{
    if (m_context)
        Close();
}

LinkStatus FtdiLink::OpenEx(std::string_view description, std::uint32_t flags)
{
    if (m_context)
        return LinkStatus::DeviceNotOpened;
    if (flags != kOpenByDescription)
        return LinkStatus::DeviceNotFound;
    ftdi_context *context = ftdi_new();
    if (context == nullptr)
        return LinkStatus::DeviceNotOpened;
    const std::string wanted(description);
    for (const int product : kProducts) {
        if (ftdi_usb_open_desc(context, kVendor, product, wanted.c_str(), nullptr) == 0) {
            m_context = context;
            m_received.clear();
            return LinkStatus::Ok;
        }
    }
    ftdi_free(context);
    return LinkStatus::DeviceNotFound;
}

LinkStatus FtdiLink::Purge(std::uint32_t mask)
{
    if (!m_context)
        return LinkStatus::InvalidHandle;
    if (mask & kPurgeRx) {
        m_received.clear();
        if (ftdi_tciflush(m_context) < 0)
            return LinkStatus::IoError;
    }
    if ((mask & kPurgeTx) && ftdi_tcoflush(m_context) < 0)
        return LinkStatus::IoError;
    return LinkStatus::Ok;
}

LinkStatus FtdiLink::GetQueueStatus(std::uint32_t &queued)
{
    if (!m_context)
        return LinkStatus::InvalidHandle;
    if (m_received.size() < kQueueLimit) {
        std::array<unsigned char, kChunk> chunk{};
        const int n = ftdi_read_data(m_context, chunk.data(), static_cast<int>(chunk.size()));
        if (n < 0)
            return LinkStatus::IoError;
        m_received.insert(m_received.end(), chunk.begin(), chunk.begin() + n);
    }
    queued = static_cast<std::uint32_t>(m_received.size());
    return LinkStatus::Ok;
}

LinkStatus FtdiLink::Read(std::span<std::uint8_t> buffer, std::uint32_t &received)
{
    if (!m_context)
        return LinkStatus::InvalidHandle;
    const std::size_t n = std::min(buffer.size(), m_received.size());
    std::copy_n(m_received.begin(), n, buffer.begin());
    m_received.erase(m_received.begin(), m_received.begin() + static_cast<std::ptrdiff_t>(n));
    received = static_cast<std::uint32_t>(n);
    return LinkStatus::Ok;
}

LinkStatus FtdiLink::Write(std::span<const std::uint8_t> bytes, std::uint32_t &written)
{
    written = 0;
    if (!m_context)
        return LinkStatus::InvalidHandle;
    const int n = ftdi_write_data(m_context, bytes.data(), static_cast<int>(bytes.size()));
    if (n < 0)
        return LinkStatus::IoError;
    written = static_cast<std::uint32_t>(n);
    return LinkStatus::Ok;
}

LinkStatus FtdiLink::Close()
{
    if (!m_context)
        return LinkStatus::InvalidHandle;
    ftdi_usb_close(m_context);
    ftdi_free(m_context);
    m_context = nullptr;
    m_received.clear();
    return LinkStatus::Ok;
}

} // namespace qv::probe
