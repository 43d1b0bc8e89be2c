// The file transfers: a data file sent to the unit or fetched from it in
// blocks, with progress and cancellation.

#include "execution/port/portavo.h"
#include "infra/encoding.h"
#include "infra/plural.h"
#include "infra/unitcodes.h"

#include <algorithm>

namespace qv {

void Portavo::CancelOnUnit()
{
    // Not waited for: a caller whose transfer failed gets its answer within
    // its time-out; the acknowledgement is dropped as stale later.
    Transmit(DATA_CANCEL, 0, {});
}

std::optional<Portavo::Outcome> Portavo::BeforeBlock(std::uint32_t count, std::uint32_t index,
                                                     const ProgressCallback &progress,
                                                     std::string cancelledText)
{
    if (m_cancel.exchange(false)) {
        CancelOnUnit();
        return Outcome{PortCancelled, std::move(cancelledText)};
    }
    if (progress)
        progress(static_cast<int>(count), static_cast<int>(index));
    return std::nullopt;
}

int Portavo::SendFile(std::span<const std::uint8_t> data, std::string_view name,
                      const ProgressCallback &progress)
{
    return Report(SendBlocks(data, name, progress), Completes::Exchange);
}

int Portavo::ReceiveFile(std::vector<std::uint8_t> &data, std::string_view name,
                         const ProgressCallback &progress)
{
    data.clear();
    return Report(ReceiveBlocks(data, name, progress), Completes::Exchange);
}

namespace {

// "name" in quotes (built by appending: GCC 12 warns falsely on "x" + string).
std::string Quoted(std::string_view name)
{
    std::string text;
    text.reserve(name.size() + 2);
    text += '"';
    text += name;
    text += '"';
    return text;
}

std::uint32_t BlockCount(std::uint64_t total, std::uint32_t block)
{
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (total + block - 1) / block));
}

// The request's name part: length byte and Windows-1251 bytes.
bool AppendName(std::vector<std::uint8_t> &out, std::string_view name)
{
    const auto bytes = TryUtf8ToCp1251(name);
    if (!bytes || bytes->empty() || bytes->size() > 255)
        return false;
    out.push_back(static_cast<std::uint8_t>(bytes->size()));
    out.insert(out.end(), bytes->begin(), bytes->end());
    return true;
}

} // namespace

Portavo::Outcome Portavo::SendBlocks(std::span<const std::uint8_t> data, std::string_view name,
                                     const ProgressCallback &progress)
{
    m_cancel = false;
    const std::string quoted = Quoted(name);
    std::vector<std::uint8_t> start;
    const std::uint32_t wanted =
        std::min({m_blockSize.load(), m_unitMaxBlock.load(), m_unitMaxPayload.load()});
    wire::PutU32(start, static_cast<std::uint32_t>(data.size()));
    wire::PutU32(start, wanted);
    if (data.size() > 0xFFFFFFFFu || !AppendName(start, name))
        return {PortRefused, "Файл " + quoted +
                                 " не может быть передан в блок диагностики: "
                                 "недопустимое имя или размер"};
    wire::Frame answer;
    Outcome outcome = Exchange(DATA_START, 0, start, &answer);
    if (!outcome.ok())
        return outcome;
    const std::uint32_t block = answer.payload.size() == 4 ? wire::GetU32(answer.payload, 0) : 0;
    if (block == 0 || block > wanted)
        return {PortBadAnswer, "Неправильный ответ от блока диагностики на команду DATA_START"};
    const std::uint32_t count = BlockCount(data.size(), block);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (auto cancelled =
                BeforeBlock(count, i, progress, "Передача файла " + quoted + " отменена"))
            return *cancelled;
        const std::size_t offset = static_cast<std::size_t>(i) * block;
        const auto chunk = data.subspan(offset, std::min<std::size_t>(block, data.size() - offset));
        outcome = Exchange(DATA_BLOCK, i, chunk, &answer);
        if (outcome.ok() && (answer.kind != wire::Kind::Ack || answer.value != i))
            outcome = {PortBadAnswer, "Неправильный ответ от блока диагностики на блок " +
                                          std::to_string(i) + " файла " + quoted};
        if (!outcome.ok()) {
            CancelOnUnit();
            return outcome;
        }
    }
    return {};
}

Portavo::Outcome Portavo::ReceiveBlocks(std::vector<std::uint8_t> &data, std::string_view name,
                                        const ProgressCallback &progress)
{
    m_cancel = false;
    const std::string quoted = Quoted(name);
    const std::uint32_t wanted =
        std::min({m_blockSize.load(), m_unitMaxBlock.load(), m_unitMaxPayload.load()});
    std::vector<std::uint8_t> open{1};
    wire::PutU32(open, wanted);
    if (!AppendName(open, name))
        return {PortRefused, "Недопустимое имя файла " + quoted};
    wire::Frame answer;
    Outcome outcome = Exchange(CP_DATA_REQ, 0, open, &answer);
    if (!outcome.ok())
        return outcome;
    const auto &a = answer.payload;
    const std::uint32_t total = a.size() == 8 ? wire::GetU32(a, 0) : 0;
    const std::uint32_t block = a.size() == 8 ? wire::GetU32(a, 4) : 0;
    if (block == 0 || block > wanted)
        return {PortBadAnswer, "Неправильный ответ от блока диагностики на команду CP_DATA_REQ"};
    if (total > kMaxReceivedFile)
        return {PortBadAnswer, "Файл " + quoted + " в блоке диагностики слишком велик (" +
                                   Counted(total, kByteNoun) + ")"};
    std::vector<std::uint8_t> received;
    received.reserve(total);
    const std::uint32_t count = BlockCount(total, block);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (auto cancelled =
                BeforeBlock(count, i, progress, "Получение файла " + quoted + " отменено"))
            return *cancelled;
        std::vector<std::uint8_t> request{2};
        wire::PutU32(request, i);
        outcome = Exchange(CP_DATA_REQ, 0, request, &answer);
        const std::size_t expected = std::min<std::size_t>(block, total - received.size());
        if (outcome.ok() && (answer.kind != wire::Kind::Data || answer.value != i ||
                             answer.payload.size() != expected))
            outcome = {PortBadAnswer, "Неправильный ответ от блока диагностики на запрос блока " +
                                          std::to_string(i) + " файла " + quoted};
        if (!outcome.ok()) {
            CancelOnUnit();
            return outcome;
        }
        received.insert(received.end(), answer.payload.begin(), answer.payload.end());
    }
    data = std::move(received);
    return {};
}

} // namespace qv
