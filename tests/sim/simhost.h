#pragma once

// Test support: a host attached straight to a simulated unit, speaking the
// unit's own framing, so the unit is tested without the tester port.

#include "infra/encoding.h"
#include "sim/packet.h"
#include "sim/unit.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace qv::sim::testing {

class SimHost
{
public:
    explicit SimHost(std::shared_ptr<SimulatedUnit> unit)
        : m_unit(std::move(unit))
    {
        m_end = m_unit->Attach(HostChannel{[this](std::vector<std::uint8_t> bytes) { Take(bytes); },
                                           [this] {
                                               std::lock_guard lock(m_mutex);
                                               m_hungUp = true;
                                               m_arrived.notify_all();
                                           }},
                               &m_why);
    }

    bool Attached() const { return m_end != nullptr; }
    const std::string &Why() const { return m_why; }

    void Send(int code, const std::vector<std::uint8_t> &data = {}, std::uint32_t value = 0)
    {
        m_end->Write(EncodePacket(kCommand, static_cast<std::uint8_t>(code), ++m_seq, value, data));
    }
    void SendRaw(const std::vector<std::uint8_t> &bytes) { m_end->Write(bytes); }

    // The next frame from the unit, or nullopt after the limit.
    std::optional<Packet> Next(std::chrono::milliseconds limit = std::chrono::milliseconds(1000))
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_for(lock, limit, [this] { return !m_packets.empty(); }))
            return std::nullopt;
        Packet packet = std::move(m_packets.front());
        m_packets.pop_front();
        return packet;
    }

    // Sends a command and returns the unit's answer to it.
    Packet Ask(int code, const std::vector<std::uint8_t> &data = {}, std::uint32_t value = 0)
    {
        Send(code, data, value);
        auto answer = Next();
        return answer ? *answer : Packet{};
    }

    bool WaitHungUp()
    {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::seconds(1), [this] { return m_hungUp; });
    }
    std::uint16_t LastSeq() const { return m_seq; }

private:
    void Take(const std::vector<std::uint8_t> &bytes)
    {
        std::lock_guard lock(m_mutex);
        std::vector<Packet> packets;
        m_reader.Take(bytes, packets);
        for (auto &packet : packets)
            m_packets.push_back(std::move(packet));
        m_arrived.notify_all();
    }

    std::shared_ptr<SimulatedUnit> m_unit;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    PacketReader m_reader;
    std::deque<Packet> m_packets;
    bool m_hungUp = false;
    std::string m_why;
    std::uint16_t m_seq = 0;
    std::unique_ptr<HostEnd> m_end; // last: detached before the rest goes
};

inline std::shared_ptr<SimulatedUnit> UnitFrom(const std::string &boardText)
{
    std::string error;
    auto board = ParseBoard(boardText, &error);
    return std::make_shared<SimulatedUnit>(board ? *board : DefaultBoard());
}

// An ERROR frame's text (Windows-1251 on the wire) in UTF-8.
inline std::string Text(const Packet &packet)
{
    return Cp1251ToUtf8(std::string(packet.body.begin(), packet.body.end()));
}

} // namespace qv::sim::testing
