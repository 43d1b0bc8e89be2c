// File transfers in both directions, block by block (DATA_START, DATA_BLOCK,
// DATA_CANCEL for files from the host; CP_DATA_REQ for files to the host).

#include "board.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"
#include "inifile.h"
#include "session.h"

#include <algorithm>

namespace qv::sim {

namespace {

std::string Shown(const std::string &name)
{
    return Quoted(Cp1251ToUtf8(name));
}

std::uint32_t BlockCount(std::uint64_t total, std::uint32_t block)
{
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (total + block - 1) / block));
}

std::uint32_t AcceptedBlock(const Board &board, std::uint32_t wanted)
{
    return std::min({wanted, board.maxBlock, board.maxPayload});
}

// The board's fault that drops the connection after so many blocks.
bool DropNow(Session &session)
{
    const int after = session.GetBoard().faults.dropAfterBlocks;
    if (after <= 0 || ++session.Files().blocksMoved < after ||
        !session.FaultFires(LinkFault::Drop, DATA_BLOCK))
        return false;
    session.Hangup();
    return true;
}

// The block size wanted (u32) at `at`, then the name length byte and the name
// filling the rest of the request; nullopt when the layout is wrong.
struct Opening
{
    std::uint32_t block = 0;
    std::string name;
};

std::optional<Opening> OpeningAt(const std::vector<std::uint8_t> &d, std::size_t at)
{
    const std::size_t nameAt = at + 4;
    if (d.size() <= nameAt || d[nameAt] == 0 || d.size() != nameAt + 1 + d[nameAt])
        return std::nullopt;
    Opening opening{Le32(d.data() + at),
                    std::string(d.begin() + static_cast<std::ptrdiff_t>(nameAt + 1), d.end())};
    if (opening.block == 0)
        return std::nullopt;
    return opening;
}

void DataStart(Session &session, const Request &request)
{
    const auto opening = OpeningAt(request.data, 4);
    if (!opening) {
        session.FailMalformed(request);
        return;
    }
    auto &files = session.Files();
    files.incoming.reset();
    const std::uint32_t total = Le32(request.data.data());
    const auto old = files.stored.find(opening->name);
    const std::uint64_t kept =
        files.StoredBytes() - (old != files.stored.end() ? old->second->size() : 0);
    if (kept + total > session.GetBoard().storeLimit) {
        session.Fail(request, kErrNoMemory,
                     "Недостаточно памяти блока диагностики для файла " + Shown(opening->name) +
                         " (" + std::to_string(total) + " байт)");
        return;
    }
    IncomingFile incoming;
    incoming.name = opening->name;
    incoming.total = total;
    incoming.block = AcceptedBlock(session.GetBoard(), opening->block);
    incoming.count = BlockCount(total, incoming.block);
    incoming.bytes.reserve(total);
    std::vector<std::uint8_t> answer;
    AppendLe32(answer, incoming.block);
    files.incoming = std::move(incoming);
    session.Data(request, answer);
}

void DataBlock(Session &session, const Request &request)
{
    auto &files = session.Files();
    if (!files.incoming) {
        session.Fail(request, kErrTransferOrder, "Блок данных без начала передачи файла");
        return;
    }
    IncomingFile &in = *files.incoming;
    if (request.value != in.next) {
        session.Fail(request, kErrTransferOrder,
                     "Передача файла " + Shown(in.name) + ": ожидался блок " +
                         std::to_string(in.next) + ", получен " + std::to_string(request.value));
        return;
    }
    const std::uint64_t offset = static_cast<std::uint64_t>(in.next) * in.block;
    const std::uint64_t expected =
        std::min<std::uint64_t>(in.block, in.total - std::min<std::uint64_t>(offset, in.total));
    if (request.data.size() != expected) {
        session.Fail(request, kErrMalformed,
                     "Передача файла " + Shown(in.name) + ": блок " + std::to_string(in.next) +
                         " неверной длины");
        return;
    }
    if (DropNow(session))
        return;
    in.bytes.insert(in.bytes.end(), request.data.begin(), request.data.end());
    if (++in.next == in.count) {
        files.stored[in.name] =
            std::make_shared<const std::vector<std::uint8_t>>(std::move(in.bytes));
        files.incoming.reset();
    }
    session.Ack(request, request.value);
}

void DataCancel(Session &session, const Request &request)
{
    session.Files().incoming.reset();
    session.Files().outgoing.reset();
    session.Ack(request);
}

void OpenOutgoing(Session &session, const Request &request)
{
    const auto opening = OpeningAt(request.data, 1);
    if (!opening) {
        session.FailMalformed(request);
        return;
    }
    auto &files = session.Files();
    files.outgoing.reset();
    const auto found = files.stored.find(opening->name);
    if (found == files.stored.end()) {
        session.Fail(request, kErrNoFile,
                     "Файл " + Shown(opening->name) + " не найден в блоке диагностики");
        return;
    }
    OutgoingFile out;
    out.name = opening->name;
    out.bytes = found->second;
    out.block = AcceptedBlock(session.GetBoard(), opening->block);
    out.count = BlockCount(out.bytes->size(), out.block);
    std::vector<std::uint8_t> answer;
    AppendLe32(answer, static_cast<std::uint32_t>(out.bytes->size()));
    AppendLe32(answer, out.block);
    files.outgoing = std::move(out);
    session.Data(request, answer);
}

void SendOutgoingBlock(Session &session, const Request &request)
{
    const auto &files = session.Files();
    if (request.data.size() != 5) {
        session.FailMalformed(request);
        return;
    }
    const std::uint32_t index = Le32(request.data.data() + 1);
    if (!files.outgoing || index >= files.outgoing->count) {
        session.Fail(request, kErrTransferOrder, "Запрошен блок вне передаваемого файла");
        return;
    }
    if (DropNow(session))
        return;
    const OutgoingFile &out = *files.outgoing;
    const std::size_t offset = static_cast<std::size_t>(index) * out.block;
    const std::size_t size =
        std::min<std::size_t>(out.block, out.bytes->size() - std::min(offset, out.bytes->size()));
    session.Data(request, std::span(*out.bytes).subspan(std::min(offset, out.bytes->size()), size),
                 index);
}

void DataRequest(Session &session, const Request &request)
{
    const int operation = request.data.empty() ? 0 : request.data[0];
    if (operation == 1)
        OpenOutgoing(session, request);
    else if (operation == 2)
        SendOutgoingBlock(session, request);
    else
        session.FailMalformed(request);
}

} // namespace

void RegisterTransferCommands(CommandTable &table)
{
    table.Set(DATA_START, DataStart);
    table.Set(DATA_BLOCK, DataBlock);
    table.Set(DATA_CANCEL, DataCancel);
    table.Set(CP_DATA_REQ, DataRequest);
}

} // namespace qv::sim
