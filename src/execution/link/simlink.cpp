#include "execution/link/simlink.h"

#include "sim/board.h"
#include "sim/unit.h"

namespace qv {

SimLink::Connection::~Connection() = default;

SimLink::SimLink(std::string boardFile)
    : m_boardFile(std::move(boardFile))
{}

SimLink::SimLink(std::shared_ptr<sim::SimulatedUnit> unit)
    : m_unit(std::move(unit))
{}

SimLink::~SimLink()
{
    Close();
}

bool SimLink::MakeUnit(std::string *error)
{
    std::lock_guard lock(m_unitMutex);
    if (m_unit)
        return true;
    sim::Board board = sim::DefaultBoard();
    if (!m_boardFile.empty()) {
        auto loaded = sim::LoadBoard(m_boardFile, error);
        if (!loaded)
            return false;
        board = std::move(*loaded);
    }
    m_unit = std::make_shared<sim::SimulatedUnit>(std::move(board));
    return true;
}

bool SimLink::Present(std::string *why)
{
    std::string error;
    if (MakeUnit(&error))
        return true;
    *why = "симулятор блока диагностики: " + error;
    return false;
}

bool SimLink::Open(std::chrono::milliseconds, std::string *error)
{
    Close();
    if (!MakeUnit(error))
        return false;
    auto connection = std::make_shared<Connection>();
    const auto received = connection->received;
    sim::HostChannel channel{[received](std::vector<std::uint8_t> bytes) { received->Push(bytes); },
                             [received] { received->Close(); }};
    connection->end = m_unit->Attach(std::move(channel), error);
    if (!connection->end)
        return false;
    m_slot.Install(std::move(connection));
    return true;
}

void SimLink::Close()
{
    const std::shared_ptr<Connection> connection = m_slot.Take();
    if (!connection)
        return;
    connection->received->Close();
    std::lock_guard lock(connection->endMutex);
    connection->closed = true;
    connection->end.reset(); // ends the session on the unit
}

bool SimLink::Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds,
                    std::string *error)
{
    const auto connection = m_slot.Current();
    if (connection) {
        std::lock_guard lock(connection->endMutex);
        if (!connection->closed) {
            connection->end->Write(bytes);
            return true;
        }
    }
    *error = "соединение закрыто";
    return false;
}

std::size_t SimLink::Read(std::span<std::uint8_t> buffer)
{
    const auto connection = m_slot.Current();
    return connection ? connection->received->Pop(buffer) : 0;
}

} // namespace qv
