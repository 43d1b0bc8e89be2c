#pragma once

// The bytes of the remote link: command words, the payloads of file and
// buffer blocks and their acknowledgements, the login, and texts, which
// cross the wire in Windows-1251.
//
// A message has no length field: it is one command word followed by its
// payload, and the receiver takes one read of the socket as one message.
// Every parser here checks the bounds of what it reads and answers nullopt
// for bytes that do not form the payload they should.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>

namespace qv {

// In the order the receiver tries them: the index is the wire's own.
enum class RemoteCommand {
    Login = 0,
    Error = 1,
    ErrorInfo = 2,
    Chat = 3,
    File = 4,
    FileOk = 5,
    Buf = 6,
    BufOk = 7,
    Open = 8,
    Pusk = 9,
    BufApply = 10,
    Click = 11,
};

inline constexpr int kRemoteCommandCount = 12;
// Both the receive and the send buffer; a read takes at most this much.
inline constexpr std::size_t kRemoteBufferSize = 51200;
inline constexpr std::size_t kRemoteBlockSize = 1024;
// The longest transfer a peer may announce (16 MiB): a larger block count
// is refused like any other wrong block.
inline constexpr std::size_t kMaxRemoteBlocks = 16384;
inline constexpr int kRemoteAnswerTimeoutMs = 2000;
// The least time between two messages on a connection while the peer has
// not spoken in between (it reads each in a read of its own).
inline constexpr int kRemoteMessageGapMs = 50;
inline constexpr int kProductNumberLength = 36;

// The word with its trailing space, e.g. "FILE ".
QByteArray CommandWord(RemoteCommand command);

struct RemoteMessage
{
    RemoteCommand command;
    QByteArray payload;
};

// Nullopt when the bytes begin with no command word.
std::optional<RemoteMessage> SplitMessage(const QByteArray &bytes);

// One block of a file (non-empty name) or of a data buffer (empty name).
struct RemoteBlock
{
    QByteArray name; // Windows-1251, as on the wire
    quint16 index = 0;
    quint16 count = 0;
    QByteArray data;
};

QByteArray FileBlockPayload(const RemoteBlock &block);
QByteArray BufferBlockPayload(const RemoteBlock &block);
std::optional<RemoteBlock> ParseFileBlock(const QByteArray &payload);
std::optional<RemoteBlock> ParseBufferBlock(const QByteArray &payload);

// The acknowledgement of an accepted block; name empty for a buffer.
struct RemoteAck
{
    QByteArray name;
    quint16 index = 0;
};

QByteArray FileAckPayload(const RemoteAck &ack);
QByteArray BufferAckPayload(const RemoteAck &ack);
std::optional<RemoteAck> ParseFileAck(const QByteArray &payload);
std::optional<RemoteAck> ParseBufferAck(const QByteArray &payload);

// Texts on the wire. A character without a Windows-1251 byte goes out as
// "?"; every byte comes back as some character.
QByteArray ToWire(const QString &text);
QString FromWire(const QByteArray &bytes);

// The name under which a received file is stored: the folder part of the
// sender's name stripped. Nullopt for a name that must not be stored at all
// (empty, "." or "..", control characters, longer than a file name may be).
std::optional<QString> ReceivedFileName(const QByteArray &wireName);
// Where a received file named `name` (as ReceivedFileName gives it) lies in
// `dir`. Joined as plain text: QDir would take a name beginning with ":" for
// one of the program's built-in resources.
QString ReceivedFilePath(const QString &dir, const QString &name);

struct RemoteLogin
{
    QString user;
    QString product;
};

QByteArray LoginPayload(const RemoteLogin &login);
// Nullopt when the separator byte 0x07 is missing.
std::optional<RemoteLogin> ParseLogin(const QByteArray &payload);
// A non-empty user name and a product number of exactly 36 characters.
bool LoginAcceptable(const RemoteLogin &login);

// The reports of a run on the bench ("PUSK "), client to server.
struct RunReport
{
    enum class Kind {
        Check,  // the link check before a run: code and text ("готов" for 0)
        Status, // a status line: byte 20, byte length, text
        End,    // "завершен", or "завершен" + " " + the error text
    };
    Kind kind = Kind::Status;
    int code = 0;
    QString text; // Check, Status: the text; End: the error text, empty when none
};

inline constexpr quint8 kRunStatusCode = 20;
// The payload of a report; a text longer than its length byte allows is cut.
QByteArray RunReportPayload(const RunReport &report);
// Any "PUSK " payload reads as some report; nullopt only for an empty one.
std::optional<RunReport> ParseRunReport(const QByteArray &payload);
// What the server answers to a status or end report.
inline const QByteArray kRunReportAck = "OK";

// The tag of a result hand-over ("BUFAPPLY "): "тест буфер", " ", code + 32.
QByteArray ResultTag(int code);
// The answer code of a tag; nullopt without the "тест буфер" prefix.
std::optional<int> ResultTagCode(const QByteArray &payload);

// A mouse press to repeat on the client ("CLICK "). Names are Windows-1251
// on the wire, each at most 255 bytes; the whole message at most 128 bytes.
struct RemoteClick
{
    enum class Button : quint8 { Left = 0, Right = 1, Middle = 2 };
    quint8 kind = 0; // always 0
    Button button = Button::Left;
    QString formName; // empty: not one of the program's forms
    QString formClass;
    QString controlName; // the innermost named control (or the window's text)
    QString controlClass;
    qint16 x = 0; // relative to the control
    qint16 y = 0;
};

inline constexpr qsizetype kMaxClickMessage = 128;
// Nullopt when the click does not fit the 128-byte message.
std::optional<QByteArray> ClickPayload(const RemoteClick &click);
std::optional<RemoteClick> ParseClick(const QByteArray &payload);

} // namespace qv
