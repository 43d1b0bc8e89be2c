#include "remote/remotewire.h"

#include "infra/encoding.h"

#include <QDir>
#include <QList>
#include <algorithm>
#include <array>

namespace qv {

namespace {

constexpr std::array<const char *, kRemoteCommandCount> kWords = {
    "LOGIN ", "ERROR ", "ERRORI ", "CHAT ", "FILE ",     "FILEOK ",
    "BUF ",   "BUFOK ", "OPEN ",   "PUSK ", "BUFAPPLY ", "CLICK ",
};

constexpr char kLoginSeparator = '\x07';
// The longest file name the receive folder may hold, in UTF-8 bytes.
constexpr qsizetype kMaxStoredNameBytes = 255;

void AppendUint16(QByteArray &out, quint16 value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

std::optional<quint16> Uint16At(const QByteArray &bytes, qsizetype pos)
{
    if (pos < 0 || pos + 2 > bytes.size())
        return std::nullopt;
    const auto low = static_cast<quint8>(bytes[pos]);
    const auto high = static_cast<quint8>(bytes[pos + 1]);
    return static_cast<quint16>(low | (high << 8));
}

void AppendName(QByteArray &out, const QByteArray &name)
{
    out.append(static_cast<char>(static_cast<quint8>(name.size())));
    out.append(name);
}

// The name at the start of a file payload and the position after it.
std::optional<std::pair<QByteArray, qsizetype>> NameAt(const QByteArray &payload)
{
    if (payload.isEmpty())
        return std::nullopt;
    const qsizetype length = static_cast<quint8>(payload[0]);
    if (1 + length > payload.size())
        return std::nullopt;
    return std::pair{payload.mid(1, length), 1 + length};
}

std::optional<RemoteBlock> BlockAt(const QByteArray &payload, qsizetype pos, QByteArray name)
{
    const auto index = Uint16At(payload, pos);
    const auto count = Uint16At(payload, pos + 2);
    if (!index || !count)
        return std::nullopt;
    RemoteBlock block{std::move(name), *index, *count, payload.mid(pos + 4)};
    if (static_cast<std::size_t>(block.data.size()) > kRemoteBlockSize)
        return std::nullopt;
    return block;
}

} // namespace

QByteArray CommandWord(RemoteCommand command)
{
    return QByteArray(kWords.at(static_cast<std::size_t>(command)));
}

std::optional<RemoteMessage> SplitMessage(const QByteArray &bytes)
{
    for (int i = 0; i < kRemoteCommandCount; ++i) {
        const QByteArray word(kWords.at(static_cast<std::size_t>(i)));
        if (bytes.startsWith(word))
            return RemoteMessage{static_cast<RemoteCommand>(i), bytes.mid(word.size())};
    }
    return std::nullopt;
}

QByteArray FileBlockPayload(const RemoteBlock &block)
{
    QByteArray out;
    AppendName(out, block.name);
    AppendUint16(out, block.index);
    AppendUint16(out, block.count);
    out.append(block.data);
    return out;
}

QByteArray BufferBlockPayload(const RemoteBlock &block)
{
    QByteArray out;
    AppendUint16(out, block.index);
    AppendUint16(out, block.count);
    out.append(block.data);
    return out;
}

std::optional<RemoteBlock> ParseFileBlock(const QByteArray &payload)
{
    const auto name = NameAt(payload);
    if (!name)
        return std::nullopt;
    return BlockAt(payload, name->second, name->first);
}

std::optional<RemoteBlock> ParseBufferBlock(const QByteArray &payload)
{
    return BlockAt(payload, 0, {});
}

QByteArray FileAckPayload(const RemoteAck &ack)
{
    QByteArray out;
    AppendName(out, ack.name);
    AppendUint16(out, ack.index);
    return out;
}

QByteArray BufferAckPayload(const RemoteAck &ack)
{
    QByteArray out;
    AppendUint16(out, ack.index);
    return out;
}

std::optional<RemoteAck> ParseFileAck(const QByteArray &payload)
{
    const auto name = NameAt(payload);
    if (!name)
        return std::nullopt;
    const auto index = Uint16At(payload, name->second);
    if (!index || name->second + 2 != payload.size())
        return std::nullopt;
    return RemoteAck{name->first, *index};
}

std::optional<RemoteAck> ParseBufferAck(const QByteArray &payload)
{
    const auto index = Uint16At(payload, 0);
    if (!index || payload.size() != 2)
        return std::nullopt;
    return RemoteAck{{}, *index};
}

QByteArray ToWire(const QString &text)
{
    QByteArray out;
    for (const char32_t ch : text.toUcs4())
        out.append(static_cast<char>(Cp1251ByteOf(ch).value_or('?')));
    return out;
}

QString FromWire(const QByteArray &bytes)
{
    return QString::fromStdString(Cp1251ToUtf8(std::string_view(bytes.data(), bytes.size())));
}

std::optional<QString> ReceivedFileName(const QByteArray &wireName)
{
    const QString full = FromWire(wireName);
    const qsizetype cut = std::max(full.lastIndexOf(u'/'), full.lastIndexOf(u'\\'));
    const QString name = full.mid(cut + 1);
    if (name.isEmpty() || name == u"." || name == u".." ||
        name.toUtf8().size() > kMaxStoredNameBytes)
        return std::nullopt;
    for (const QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F || ch.category() == QChar::Other_Control)
            return std::nullopt;
    }
    return name;
}

QString ReceivedFilePath(const QString &dir, const QString &name)
{
    return QDir::cleanPath(dir + u'/' + name);
}

QByteArray LoginPayload(const RemoteLogin &login)
{
    return ToWire(login.user) + kLoginSeparator + ToWire(login.product);
}

std::optional<RemoteLogin> ParseLogin(const QByteArray &payload)
{
    const qsizetype separator = payload.indexOf(kLoginSeparator);
    if (separator < 0)
        return std::nullopt;
    return RemoteLogin{FromWire(payload.left(separator)), FromWire(payload.mid(separator + 1))};
}

bool LoginAcceptable(const RemoteLogin &login)
{
    return !login.user.isEmpty() && login.product.size() == kProductNumberLength;
}

namespace {

const QByteArray &FinishedWord()
{
    static const QByteArray word = ToWire(QStringLiteral("завершен"));
    return word;
}

const QByteArray &ResultTagPrefix()
{
    static const QByteArray prefix = ToWire(QStringLiteral("тест буфер"));
    return prefix;
}

// A length byte and at most 255 bytes of text.
void AppendShortText(QByteArray &out, const QByteArray &text, qsizetype limit = 255)
{
    const QByteArray cut = text.left(std::min<qsizetype>(limit, 255));
    out.append(static_cast<char>(static_cast<quint8>(cut.size())));
    out.append(cut);
}

// The text after a length byte at `pos`; nullopt when the bytes run short.
std::optional<std::pair<QByteArray, qsizetype>> ShortTextAt(const QByteArray &bytes, qsizetype pos)
{
    if (pos >= bytes.size())
        return std::nullopt;
    const qsizetype length = static_cast<quint8>(bytes[pos]);
    if (pos + 1 + length > bytes.size())
        return std::nullopt;
    return std::pair{bytes.mid(pos + 1, length), pos + 1 + length};
}

} // namespace

QByteArray RunReportPayload(const RunReport &report)
{
    QByteArray out;
    switch (report.kind) {
    case RunReport::Kind::Check:
        out.append(static_cast<char>(static_cast<quint8>(report.code)));
        AppendShortText(out, ToWire(report.code == 0 ? QStringLiteral("готов") : report.text));
        break;
    case RunReport::Kind::Status:
        out.append(static_cast<char>(kRunStatusCode));
        AppendShortText(out, ToWire(report.text));
        break;
    case RunReport::Kind::End:
        out = FinishedWord();
        if (!report.text.isEmpty())
            out += ' ' + ToWire(report.text);
        break;
    }
    return out;
}

std::optional<RunReport> ParseRunReport(const QByteArray &payload)
{
    if (payload.isEmpty())
        return std::nullopt;
    RunReport report;
    if (payload.startsWith(FinishedWord())) {
        report.kind = RunReport::Kind::End;
        // One separator character, then the error text.
        report.text = FromWire(payload.mid(FinishedWord().size() + 1));
        return report;
    }
    const auto code = static_cast<quint8>(payload[0]);
    report.kind = code == kRunStatusCode ? RunReport::Kind::Status : RunReport::Kind::Check;
    report.code = code;
    // A length beyond the bytes that came is taken as what came.
    const qsizetype length =
        payload.size() > 1
            ? std::min<qsizetype>(static_cast<quint8>(payload[1]), payload.size() - 2)
            : 0;
    report.text = FromWire(payload.mid(2, length));
    return report;
}

QByteArray ResultTag(int code)
{
    return ResultTagPrefix() + ' ' + static_cast<char>(static_cast<quint8>(code + 32));
}

std::optional<int> ResultTagCode(const QByteArray &payload)
{
    if (!payload.startsWith(ResultTagPrefix()) || payload.size() <= ResultTagPrefix().size())
        return std::nullopt;
    return static_cast<quint8>(payload.back()) - 32;
}

std::optional<QByteArray> ClickPayload(const RemoteClick &click)
{
    QByteArray out;
    out.append(static_cast<char>(click.kind));
    out.append(static_cast<char>(click.button));
    for (const QString &text :
         {click.formName, click.formClass, click.controlName, click.controlClass}) {
        const QByteArray bytes = ToWire(text);
        if (bytes.size() > 255)
            return std::nullopt;
        AppendShortText(out, bytes);
    }
    AppendUint16(out, static_cast<quint16>(click.x));
    AppendUint16(out, static_cast<quint16>(click.y));
    if (CommandWord(RemoteCommand::Click).size() + out.size() > kMaxClickMessage)
        return std::nullopt;
    return out;
}

std::optional<RemoteClick> ParseClick(const QByteArray &payload)
{
    if (payload.size() < 2)
        return std::nullopt;
    RemoteClick click;
    click.kind = static_cast<quint8>(payload[0]);
    const auto button = static_cast<quint8>(payload[1]);
    if (button > 2)
        return std::nullopt;
    click.button = static_cast<RemoteClick::Button>(button);
    qsizetype pos = 2;
    for (QString *text :
         {&click.formName, &click.formClass, &click.controlName, &click.controlClass}) {
        const auto field = ShortTextAt(payload, pos);
        if (!field)
            return std::nullopt;
        *text = FromWire(field->first);
        pos = field->second;
    }
    const auto x = Uint16At(payload, pos);
    const auto y = Uint16At(payload, pos + 2);
    if (!x || !y || pos + 4 != payload.size())
        return std::nullopt;
    click.x = static_cast<qint16>(*x);
    click.y = static_cast<qint16>(*y);
    return click;
}

} // namespace qv
