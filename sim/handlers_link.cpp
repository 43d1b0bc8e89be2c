// Session commands: the handshake, the end of a session and the restart.

#include "board.h"
#include "infra/unitcodes.h"
#include "session.h"
#include "unit.h"

namespace qv::sim {

namespace {

constexpr std::uint16_t kUnitProtocol = 1;

void Init(Session &session, const Request &request)
{
    const auto &d = request.data;
    if (d.size() < 7 || d.size() != 7u + d[6]) {
        session.FailMalformed(request);
        return;
    }
    const Board &board = session.GetBoard();
    std::vector<std::uint8_t> answer;
    AppendLe16(answer, kUnitProtocol);
    AppendLe32(answer, Le32(d.data() + 2)); // the host's nonce comes back
    AppendLe32(answer, board.maxPayload);
    AppendLe32(answer, board.maxBlock);
    answer.push_back(static_cast<std::uint8_t>(board.type));
    session.Data(request, answer);
}

void Exit(Session &session, const Request &request)
{
    session.Ack(request);
    session.Hangup();
}

void HardReset(Session &session, const Request &request)
{
    session.Ack(request);
    session.Unit().Restart();
}

} // namespace

void RegisterLinkCommands(CommandTable &table)
{
    table.Set(INIT, Init);
    table.Set(EXIT, Exit);
    table.Set(HARD_RESET, HardReset);
}

void CommandTable::Set(int code, Handler handler)
{
    if (code >= 1 && code < static_cast<int>(m_handlers.size()))
        m_handlers[static_cast<std::size_t>(code)] = std::move(handler);
}

const Handler *CommandTable::Find(int code) const
{
    if (code < 1 || code >= static_cast<int>(m_handlers.size()))
        return nullptr;
    const Handler &handler = m_handlers[static_cast<std::size_t>(code)];
    return handler ? &handler : nullptr;
}

void RegisterStandardCommands(CommandTable &table)
{
    RegisterLinkCommands(table);
    RegisterTransferCommands(table);
    RegisterTestCommands(table);
    RegisterCalibrationCommands(table);
}

} // namespace qv::sim
