#include "remote/messageframer.h"

#include <algorithm>

namespace qv {

namespace {

using Kind = MessageExtent::Kind;

MessageExtent Whole(qsizetype length)
{
    return {Kind::Whole, length};
}

MessageExtent Open(qsizetype limit)
{
    return {Kind::Open, limit};
}

constexpr MessageExtent kIncomplete{Kind::Incomplete, 0};

// Exactly `length` bytes, once that many are held.
MessageExtent Exact(const QByteArray &bytes, qsizetype length)
{
    return bytes.size() >= length ? Whole(length) : kIncomplete;
}

// Ends where the sender stopped, but never beyond `limit` bytes.
MessageExtent OpenUpTo(const QByteArray &bytes, qsizetype limit)
{
    return bytes.size() >= limit ? Whole(limit) : Open(limit);
}

bool IsProperPrefix(const QByteArray &part, const QByteArray &whole)
{
    return part.size() < whole.size() && whole.startsWith(part);
}

const QByteArray &FinishedWord()
{
    static const QByteArray word = ToWire(QStringLiteral("завершен"));
    return word;
}

const QByteArray &TagPrefix()
{
    static const QByteArray prefix = ToWire(QStringLiteral("тест буфер"));
    return prefix;
}

const QByteArray kOk = "OK";

// A block: `head` bytes of name and numbers before the data. A block that
// is not the last holds exactly a block's worth of data; the last one ends
// where the sender stopped.
MessageExtent BlockExtent(const QByteArray &bytes, qsizetype start, qsizetype head)
{
    const qsizetype numbers = start + head - 4;
    if (bytes.size() < start + head)
        return kIncomplete;
    const auto byteAt = [&](qsizetype pos) { return static_cast<quint8>(bytes[pos]); };
    const int index = byteAt(numbers) | (byteAt(numbers + 1) << 8);
    const int count = byteAt(numbers + 2) | (byteAt(numbers + 3) << 8);
    const qsizetype full = start + head + static_cast<qsizetype>(kRemoteBlockSize);
    if (index + 1 < count)
        return Exact(bytes, full);
    // Nothing may follow the last block before its acknowledgement: bytes
    // beyond a block's worth belong to it and make it one too long.
    return bytes.size() > full ? Whole(bytes.size()) : OpenUpTo(bytes, full);
}

MessageExtent RunReportExtent(const QByteArray &bytes, qsizetype start)
{
    const QByteArray payload = bytes.mid(start);
    if (payload.startsWith(kOk))
        return Whole(start + kOk.size());
    if (payload.startsWith(FinishedWord()))
        return OpenUpTo(bytes, static_cast<qsizetype>(kRemoteBufferSize));
    if (payload.isEmpty() || IsProperPrefix(payload, kOk) ||
        IsProperPrefix(payload, FinishedWord()) || payload.size() < 2)
        return kIncomplete;
    // A code (or the status mark), a length byte and that much text.
    return Exact(bytes, start + 2 + static_cast<quint8>(payload[1]));
}

MessageExtent ResultTagExtent(const QByteArray &bytes, qsizetype start)
{
    const QByteArray payload = bytes.mid(start);
    if (payload.startsWith(TagPrefix()))
        return Exact(bytes, start + TagPrefix().size() + 2); // a space and the code
    if (payload.startsWith(kOk))
        return Whole(start + kOk.size());
    if (payload.isEmpty() || IsProperPrefix(payload, kOk) || IsProperPrefix(payload, TagPrefix()))
        return kIncomplete;
    return OpenUpTo(bytes, static_cast<qsizetype>(kRemoteBufferSize));
}

MessageExtent ClickExtent(const QByteArray &bytes, qsizetype start)
{
    qsizetype pos = start + 2; // kind, button
    for (int text = 0; text < 4; ++text) {
        if (bytes.size() <= pos)
            return kIncomplete;
        pos += 1 + static_cast<quint8>(bytes[pos]);
    }
    return Exact(bytes, pos + 4); // x, y
}

} // namespace

MessageExtent MeasureMessage(const QByteArray &bytes)
{
    std::optional<RemoteCommand> command;
    for (int i = 0; i < kRemoteCommandCount && !command; ++i) {
        const QByteArray word = CommandWord(static_cast<RemoteCommand>(i));
        if (bytes.startsWith(word))
            command = static_cast<RemoteCommand>(i);
    }
    if (!command) {
        for (int i = 0; i < kRemoteCommandCount; ++i)
            if (IsProperPrefix(bytes, CommandWord(static_cast<RemoteCommand>(i))))
                return kIncomplete;
        return {Kind::Unknown, bytes.size()};
    }
    const qsizetype start = CommandWord(*command).size();
    switch (*command) {
    case RemoteCommand::File:
        if (bytes.size() <= start)
            return kIncomplete;
        return BlockExtent(bytes, start, 1 + static_cast<quint8>(bytes[start]) + 4);
    case RemoteCommand::Buf:
        return BlockExtent(bytes, start, 4);
    case RemoteCommand::FileOk:
        if (bytes.size() <= start)
            return kIncomplete;
        return Exact(bytes, start + 1 + static_cast<quint8>(bytes[start]) + 2);
    case RemoteCommand::BufOk:
        return Exact(bytes, start + 2);
    case RemoteCommand::Pusk:
        return RunReportExtent(bytes, start);
    case RemoteCommand::BufApply:
        return ResultTagExtent(bytes, start);
    case RemoteCommand::Click:
        return ClickExtent(bytes, start);
    case RemoteCommand::Login:
    case RemoteCommand::Error:
    case RemoteCommand::ErrorInfo:
    case RemoteCommand::Chat:
    case RemoteCommand::Open:
        break;
    }
    return OpenUpTo(bytes, static_cast<qsizetype>(kRemoteBufferSize));
}

std::optional<QByteArray> MessageFramer::Next()
{
    if (m_pending.isEmpty())
        return std::nullopt;
    const MessageExtent extent = MeasureMessage(m_pending);
    if (extent.kind != Kind::Whole && extent.kind != Kind::Unknown)
        return std::nullopt;
    // Bytes with no command word go as they came: nothing tells where the
    // next message would begin.
    const qsizetype length = std::min(extent.length, m_pending.size());
    QByteArray message = m_pending.left(length);
    m_pending.remove(0, length);
    return message;
}

MessageFramer::Pending MessageFramer::State() const
{
    if (m_pending.isEmpty())
        return Pending::Nothing;
    return MeasureMessage(m_pending).kind == Kind::Open ? Pending::Open : Pending::Incomplete;
}

} // namespace qv
