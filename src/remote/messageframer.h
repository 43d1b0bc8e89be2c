#pragma once

// MessageFramer: cuts the byte stream of one connection into messages.
//
// A message carries no length field, and TCP may deliver one write in
// several reads (or two writes in one). Most messages still tell their own
// end: a block that is not the last of its transfer holds exactly 1024 data
// bytes, an acknowledgement, a status report, a result tag and a click have
// lengths their own bytes give. Those are taken exactly, however the reads
// cut them. The rest (texts, the last block of a transfer, a login) end
// where the sender stops: the framer takes them when the stream has been
// quiet for a moment, which the link's own pacing guarantees between two
// messages.
//
// The framer holds no clock: its owner appends what a read brought, takes
// the messages that are whole, and tells it when the quiet moment passed
// or that a message could not be completed in time (`TakeAll` either way).

#include "remote/remotewire.h"

#include <QByteArray>
#include <optional>
#include <utility>

namespace qv {

// How long the stream must be quiet before a message without a length of
// its own is taken, ms. Less than the gap a sender keeps between two
// messages (kRemoteMessageGapMs), so two of them are never joined.
inline constexpr int kRemoteQuietMs = 20;
// How long the rest of a message may take to arrive once its first byte
// came, ms. Less than the sender's wait for an answer, so that the refusal
// reaches the sender before it gives up by itself.
inline constexpr int kRemoteAssemblyTimeoutMs = 1000;

class MessageFramer
{
public:
    enum class Pending {
        Nothing,    // no bytes held
        Incomplete, // a message whose length is known lacks bytes
        Open,       // a message that ends where the sender stopped
    };

    void Append(const QByteArray &bytes) { m_pending += bytes; }
    // The next whole message, or nullopt when the bytes held do not make
    // one yet. Bytes that begin with no command word come back whole as
    // one message (the caller logs them as unknown).
    std::optional<QByteArray> Next();
    Pending State() const;
    // Everything held: an open message once the stream went quiet, or an
    // incomplete one whose time ran out (to be refused).
    QByteArray TakeAll() { return std::exchange(m_pending, {}); }
    void Clear() { m_pending.clear(); }
    qsizetype Size() const { return m_pending.size(); }

private:
    QByteArray m_pending;
};

// What the beginning of `bytes` needs to be one whole message: its exact
// length (Whole), a limit for a message that ends where the sender stopped
// (Open), more bytes first (Incomplete), or no command word at all.
struct MessageExtent
{
    enum class Kind { Whole, Open, Incomplete, Unknown };
    Kind kind = Kind::Unknown;
    qsizetype length = 0; // Whole: the message's bytes; Open: at most this many
};
MessageExtent MeasureMessage(const QByteArray &bytes);

} // namespace qv
