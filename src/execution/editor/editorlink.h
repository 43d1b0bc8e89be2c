#pragma once

// The link between the "Запуск редактора..." window and the test editor it
// starts: a local socket named after the window's identifier, which the
// editor finds from its command line ("STR_CONNECT_QOR_EDIT*" + identifier
// in decimal). Messages carry a code, a 32-bit value and up to 1023 bytes of
// data:
//   0 (Hello)  editor -> window: the editor is there (value: its process id);
//              window -> editor: the open file's name (data, UTF-8) and the
//              current test index (value).
//   1 (Report) editor -> window: the file it saved (data) and the test the
//              operator was on (value; kNoTest for none).
//   2 (Done)   editor -> window: the editor ends.
// Frame: code (u32), value (i32), data length (u32), little-endian, then the
// data.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace qv {

enum class EditorCode : std::uint32_t { Hello = 0, Report = 1, Done = 2 };

struct EditorMessage
{
    EditorCode code = EditorCode::Hello;
    std::int32_t value = 0;
    QByteArray data;

    friend bool operator==(const EditorMessage &, const EditorMessage &) = default;
};

inline constexpr int kMaxEditorData = 1023;
inline constexpr std::int32_t kEditorNoTest = 65535;
inline constexpr const char *kEditorConnectPrefix = "STR_CONNECT_QOR_EDIT*";

// The frame of a message; data longer than kMaxEditorData is a programming
// fault (std::length_error).
QByteArray EncodeEditorMessage(const EditorMessage &message);

enum class EditorFrame { Incomplete, Taken, Bad };

// Takes the first whole message off the front of `buffer`. Bad (buffer
// untouched) for an unknown code or an oversized length: the peer is not an
// editor of ours and the link should be dropped.
EditorFrame TakeEditorMessage(QByteArray &buffer, EditorMessage &message);

// The editor's command-line argument and the socket's name for a window.
QString EditorConnectArgument(std::uint64_t windowId);
QString EditorServerName(std::uint64_t windowId);
// The identifier in a connect argument; nullopt when it is none.
std::optional<std::uint64_t> ParseEditorConnectArgument(const QString &argument);

} // namespace qv
