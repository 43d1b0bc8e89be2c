#pragma once

// Reading and writing files whose folder entry may be hostile: a named pipe
// blocks an ordinary open for ever, a device never ends, a symbolic link
// leads a write to a file somewhere else, a folder takes the place of a file.
//
// Reading: InputFile opens without blocking and refuses whatever is not a
// regular file, and a file larger than the caller's bound, with a Russian
// message naming the file.
//
// Writing: ReplaceFileContent puts the new content in place in one step
// (temporary file in the same folder, flushed, renamed over the target), so
// that a kill never leaves a torn file. A target that exists and is neither a
// regular file nor a folder (a device such as /dev/null, a named pipe) is
// written directly: renaming over it would replace the node itself. What a
// symbolic link at the target means is the caller's choice (LinkAtTarget).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Bounds of files the program reads whole.
inline constexpr std::uint64_t kMiB = 1024 * 1024;
// Board descriptions of the simulated unit.
inline constexpr std::uint64_t kBoardFileLimit = kMiB;
// Files the program reads whole without a bound of their own (texts, dumps,
// settings, companion files).
inline constexpr std::uint64_t kTextFileLimit = 64 * kMiB;

// What a folder entry is when it is not a regular file, in words for a
// message ("папка", "именованный канал", "устройство", "сокет"); empty for a
// regular file (also behind a link) and for a name that does not exist.
std::string NonRegularKind(const std::filesystem::path &path);

// "Файл \"P\" не является обычным файлом (это K)": the refusal of an entry of
// kind K (see NonRegularKind).
std::string NotRegularFileText(const std::filesystem::path &path, std::string_view kind);

// A regular file open for reading (descriptor owned, closed on destruction).
class InputFile
{
public:
    // Opens path without blocking. A missing or unreadable file, an entry
    // that is not a regular file, and a file larger than maxSize bytes are
    // refused: nullopt, and *error (when given) is a Russian message naming
    // the file, with the system's own text in brackets where it helps.
    static std::optional<InputFile> Open(const std::filesystem::path &path, std::uint64_t maxSize,
                                         std::string *error = nullptr);

    InputFile(InputFile &&other) noexcept;
    InputFile &operator=(InputFile &&other) noexcept;
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile();

    int Fd() const { return m_fd; }
    std::uint64_t Size() const { return m_size; }
    // Hands the descriptor to the caller, who closes it.
    int Release();
    // The whole content (the size seen at the open, at most); nullopt and
    // *error on a failed read.
    std::optional<std::string> ReadAll(std::string *error = nullptr);

private:
    InputFile(int fd, std::uint64_t size, std::filesystem::path path)
        : m_fd(fd)
        , m_size(size)
        , m_path(std::move(path))
    {}

    int m_fd = -1; // -1: released or moved from
    std::uint64_t m_size = 0;
    std::filesystem::path m_path;
};

// The whole content of a regular file of at most maxSize bytes (InputFile).
std::optional<std::string> ReadInputFile(const std::filesystem::path &path, std::uint64_t maxSize,
                                         std::string *error = nullptr);

enum class LinkAtTarget {
    // The file the link names is replaced (a name the operator chose).
    Follow,
    // The link itself is replaced by a regular file: a name the program made
    // up from a test file or a peer must not lead a write out of its folder.
    Replace,
};

// The write and flush steps of ReplaceFileContent, so that a test can
// simulate a full disk; each returns false on a failure.
struct WriteSteps
{
    std::function<bool(int fd, std::string_view bytes)> write;
    std::function<bool(int fd)> flush;
};

// Writes all bytes to fd, retrying short and interrupted writes.
bool WriteAllBytes(int fd, std::string_view bytes);

struct WriteOutcome
{
    std::string problem; // empty on success, else a Russian message naming the file
    // The target is nothing this write may replace (a folder; with
    // LinkAtTarget::Replace also a device or a pipe): nothing was tried.
    bool targetRefused = false;
    bool Ok() const { return problem.empty(); }
};

// Replaces the content of path with bytes (see above). On a failure the old
// content is untouched (except for a device or pipe written directly) and no
// temporary file is left. Temporary files of the same target left behind by
// a writer that was killed are removed first.
WriteOutcome ReplaceFileContent(const std::filesystem::path &path, std::string_view bytes,
                                LinkAtTarget links, const WriteSteps *steps = nullptr);

// An output the operator named on a command line: "-" is standard output,
// anything else goes through ReplaceFileContent (links followed). Empty text
// on success, else the message.
std::string WriteOutputFile(const std::string &path, std::string_view bytes);

} // namespace qv
