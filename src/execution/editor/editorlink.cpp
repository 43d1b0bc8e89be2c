#include "execution/editor/editorlink.h"

#include <QtEndian>
#include <stdexcept>

namespace qv {
namespace {

constexpr int kHeaderSize = 12;

} // namespace

QByteArray EncodeEditorMessage(const EditorMessage &message)
{
    if (message.data.size() > kMaxEditorData)
        throw std::length_error("EncodeEditorMessage");
    QByteArray frame(kHeaderSize, '\0');
    qToLittleEndian(static_cast<std::uint32_t>(message.code), frame.data());
    qToLittleEndian(message.value, frame.data() + 4);
    qToLittleEndian(static_cast<std::uint32_t>(message.data.size()), frame.data() + 8);
    return frame + message.data;
}

EditorFrame TakeEditorMessage(QByteArray &buffer, EditorMessage &message)
{
    if (buffer.size() < kHeaderSize)
        return EditorFrame::Incomplete;
    const auto code = qFromLittleEndian<std::uint32_t>(buffer.constData());
    const auto value = qFromLittleEndian<std::int32_t>(buffer.constData() + 4);
    const auto length = qFromLittleEndian<std::uint32_t>(buffer.constData() + 8);
    if (code > static_cast<std::uint32_t>(EditorCode::Done) || length > kMaxEditorData)
        return EditorFrame::Bad;
    const qsizetype total = kHeaderSize + static_cast<qsizetype>(length);
    if (buffer.size() < total)
        return EditorFrame::Incomplete;
    message.code = static_cast<EditorCode>(code);
    message.value = value;
    message.data = buffer.mid(kHeaderSize, static_cast<qsizetype>(length));
    buffer.remove(0, total);
    return EditorFrame::Taken;
}

QString EditorConnectArgument(std::uint64_t windowId)
{
    return QString::fromLatin1(kEditorConnectPrefix) + QString::number(windowId);
}

QString EditorServerName(std::uint64_t windowId)
{
    return QStringLiteral("quorvik-edit-") + QString::number(windowId);
}

std::optional<std::uint64_t> ParseEditorConnectArgument(const QString &argument)
{
    const QString prefix = QString::fromLatin1(kEditorConnectPrefix);
    if (!argument.startsWith(prefix))
        return std::nullopt;
    const QString digits = argument.mid(prefix.size());
    bool ok = false;
    const qulonglong id = digits.toULongLong(&ok, 10);
    if (!ok || digits.isEmpty() || !digits.front().isDigit())
        return std::nullopt;
    return id;
}

} // namespace qv
