#include "session.h"

#include "board.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"
#include "unit.h"

namespace qv::sim {

namespace {

std::string OnTheWire(std::string_view text)
{
    if (auto bytes = TryUtf8ToCp1251(text))
        return *bytes;
    return std::string(text);
}

std::span<const std::uint8_t> Bytes(const std::string &text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

} // namespace

std::vector<std::uint8_t> GarbageBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 0; i < count; ++i) {
        // Every 24 bytes a sync pair and a plausible kind and code, so the
        // receiver has to reject false starts, not just skip noise.
        switch (i % 24) {
        case 0:
            bytes.push_back(0xA7);
            break;
        case 1:
            bytes.push_back(0x5C);
            break;
        case 2:
            bytes.push_back(3);
            break;
        case 3:
            bytes.push_back(38);
            break;
        default:
            state = state * 1664525u + 1013904223u;
            bytes.push_back(static_cast<std::uint8_t>(state >> 24));
        }
    }
    return bytes;
}

Session::Session(SimulatedUnit &unit, HostChannel channel)
    : m_unit(unit)
    , m_channel(std::move(channel))
{}

const Board &Session::GetBoard() const
{
    return m_unit.GetBoard();
}

UnitState &Session::State()
{
    return m_unit.State();
}

void Session::Receive(std::span<const std::uint8_t> bytes)
{
    std::vector<Packet> packets;
    m_reader.Take(bytes, packets);
    for (auto &packet : packets) {
        if (m_ended)
            return;
        if (packet.kind != kCommand)
            continue; // only a host's commands mean anything to the unit
        Dispatch({packet.code, packet.seq, packet.value, std::move(packet.body)});
    }
}

void Session::Dispatch(Request request)
{
    // The unit announced its payload limit in the INIT answer; it takes
    // nothing larger, whatever the frame layer let through.
    if (request.data.size() > GetBoard().maxPayload) {
        Fail(request, kErrMalformed,
             "Размер данных команды " + std::string(UnitCommandName(request.code)) + " (" +
                 std::to_string(request.data.size()) + " байт) больше допустимого (" +
                 std::to_string(GetBoard().maxPayload) + " байт)");
        return;
    }
    if (const auto awaited = m_awaited.find(request.code); awaited != m_awaited.end()) {
        const Handler onReply = std::move(awaited->second);
        m_awaited.erase(awaited);
        onReply(*this, request);
        return;
    }
    if (const Handler *handler = m_unit.Commands().Find(request.code)) {
        (*handler)(*this, request);
        return;
    }
    Fail(request, kErrUnknownCommand,
         "Команда " + std::string(UnitCommandName(request.code)) +
             " не поддерживается блоком диагностики");
}

void Session::End()
{
    m_ended = true;
    m_awaited.clear();
}

void Session::Hangup()
{
    if (m_ended)
        return;
    End();
    if (m_channel.hangup)
        m_channel.hangup();
}

void Session::Transmit(std::vector<std::uint8_t> bytes)
{
    if (!m_ended && !m_hung && m_channel.transmit)
        m_channel.transmit(std::move(bytes));
}

bool Session::FaultFires(LinkFault fault, int code)
{
    const int times = GetBoard().faults.times;
    int &fired = State().faultsFired[{static_cast<int>(fault), code}];
    if (times > 0 && fired >= times)
        return false;
    ++fired;
    return true;
}

void Session::Answer(const Request &request, std::uint8_t kind, std::uint32_t value,
                     std::span<const std::uint8_t> payload)
{
    if (m_ended)
        return;
    const int code = request.code;
    auto bytes = EncodePacket(kind, static_cast<std::uint8_t>(code), request.seq, value, payload);
    const FaultPlan &faults = GetBoard().faults;
    if (faults.silent.contains(code) && FaultFires(LinkFault::Silent, code))
        return;
    if (faults.corrupt.contains(code) && FaultFires(LinkFault::Corrupt, code))
        bytes.back() ^= 0xA5; // the payload check no longer matches
    if (const auto g = faults.garbage.find(code);
        g != faults.garbage.end() && FaultFires(LinkFault::Garbage, code)) {
        auto noise = GarbageBytes(static_cast<std::size_t>(g->second));
        bytes.insert(bytes.begin(), noise.begin(), noise.end());
    }
    if (const auto d = faults.delayMs.find(code);
        d != faults.delayMs.end() && FaultFires(LinkFault::Delay, code)) {
        After(std::chrono::milliseconds(d->second),
              [bytes = std::move(bytes)](Session &session) mutable {
                  session.Transmit(std::move(bytes));
              });
        return;
    }
    Transmit(std::move(bytes));
    if (faults.hang.contains(code) && FaultFires(LinkFault::Hang, code))
        m_hung = true;
}

void Session::Ack(const Request &request, std::uint32_t value)
{
    Answer(request, kAck, value, {});
}

void Session::Data(const Request &request, std::span<const std::uint8_t> payload,
                   std::uint32_t value)
{
    Answer(request, kData, value, payload);
}

void Session::Warn(const Request &request, std::uint8_t warningClass, std::string_view text)
{
    std::vector<std::uint8_t> payload{warningClass};
    const std::string bytes = OnTheWire(text);
    payload.insert(payload.end(), bytes.begin(), bytes.end());
    Answer(request, kWarning, 0, payload);
}

void Session::Fail(const Request &request, std::uint32_t error, std::string_view text)
{
    Answer(request, kError, error, Bytes(OnTheWire(text)));
}

void Session::FailMalformed(const Request &request)
{
    Fail(request, kErrMalformed,
         "Неверный формат команды " + std::string(UnitCommandName(request.code)));
}

void Session::Notify(int code, std::uint32_t value, std::span<const std::uint8_t> payload)
{
    if (m_ended)
        return;
    auto bytes =
        EncodePacket(kNotify, static_cast<std::uint8_t>(code), ++m_notifySeq, value, payload);
    if (GetBoard().faults.corruptNotify.contains(code) && FaultFires(LinkFault::Corrupt, code))
        bytes.back() ^= 0xA5; // the payload check no longer matches
    Transmit(std::move(bytes));
}

void Session::AwaitReply(int code, Handler onReply)
{
    m_awaited[code] = std::move(onReply);
}

void Session::After(std::chrono::milliseconds delay, std::function<void(Session &)> task)
{
    m_unit.Later(delay, [weak = weak_from_this(), task = std::move(task)] {
        if (const auto session = weak.lock(); session && !session->Ended())
            task(*session);
    });
}

} // namespace qv::sim
