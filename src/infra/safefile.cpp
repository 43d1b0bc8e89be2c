#include "infra/safefile.h"

#include "infra/fdguard.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qv {
namespace {

std::string Quoted(const std::filesystem::path &path)
{
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

std::string SystemText(int error)
{
    return std::strerror(error);
}

std::string KindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return "папка";
    if (S_ISFIFO(mode))
        return "именованный канал";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "устройство";
    if (S_ISSOCK(mode))
        return "сокет";
    return "не файл";
}

std::string OpenFailureText(const std::filesystem::path &path, int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return "Файл " + Quoted(path) + " не найден";
    if (error == EACCES || error == EPERM)
        return "Нет доступа к файлу " + Quoted(path) + " (" + SystemText(error) + ")";
    return "Не удалось открыть файл " + Quoted(path) + " (" + SystemText(error) + ")";
}

std::string SizeText(std::uint64_t bytes)
{
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " МиБ";
    return std::to_string(bytes) + " байт";
}

constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempUniqueLength = 6; // the XXXXXX that mkstemp fills

// Temporary files that a writer of this path left behind when it was killed
// between creating and renaming them: NAME.tmp followed by six letters or
// digits.
void RemoveStaleTemps(const std::filesystem::path &path)
{
    const std::string prefix = path.filename().string() + std::string(kTempSuffix);
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kTempUniqueLength || !name.starts_with(prefix) ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                         [](unsigned char c) { return std::isalnum(c) != 0; })) {
            continue;
        }
        std::error_code ignored;
        if (std::filesystem::is_regular_file(it->symlink_status(ignored)))
            std::filesystem::remove(it->path(), ignored);
    }
}

// A rename is durable once the folder that holds it is on the disk.
void SyncFolderOf(const std::filesystem::path &path)
{
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    FdGuard fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get());
}

std::string WriteFailureText(const std::filesystem::path &path, int error)
{
    std::string text = "Не удалось записать файл " + Quoted(path);
    if (error != 0)
        text += " (" + SystemText(error) + ")";
    return text;
}

// A device or a named pipe takes the bytes as they are: no temporary file,
// no rename (that would replace the node), no truncation a device may refuse.
std::string WriteDirectly(const std::filesystem::path &path, std::string_view bytes,
                          const WriteSteps &steps)
{
    // Not blocking on the open: a pipe nobody reads is refused at once.
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENXIO)
            return "Не удалось записать в " + Quoted(path) + ": канал никто не читает";
        return WriteFailureText(path, errno);
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    errno = 0;
    if (!steps.write(fd.Get(), bytes))
        return WriteFailureText(path, errno);
    if (::close(fd.Release()) != 0)
        return WriteFailureText(path, errno);
    return {};
}

} // namespace

std::string NonRegularKind(const std::filesystem::path &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return KindOfMode(info.st_mode);
}

std::string NotRegularFileText(const std::filesystem::path &path, std::string_view kind)
{
    return "Файл " + Quoted(path) + " не является обычным файлом (это " + std::string(kind) + ")";
}

std::optional<InputFile> InputFile::Open(const std::filesystem::path &path, std::uint64_t maxSize,
                                         std::string *error)
{
    const auto refuse = [error](std::string text) -> std::optional<InputFile> {
        if (error)
            *error = std::move(text);
        return std::nullopt;
    };
    // O_NONBLOCK: opening a named pipe with no writer returns at once
    // instead of waiting for one; the type is checked on the descriptor.
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0)
        return refuse(OpenFailureText(path, errno));
    struct stat info
    {
    };
    if (::fstat(fd.Get(), &info) != 0)
        return refuse(OpenFailureText(path, errno));
    if (const std::string kind = KindOfMode(info.st_mode); !kind.empty())
        return refuse(NotRegularFileText(path, kind));
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > maxSize) {
        return refuse("Файл " + Quoted(path) + " превышает допустимый размер: " + SizeText(size) +
                      ", допустимо не более " + SizeText(maxSize));
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return InputFile(fd.Release(), size, path);
}

InputFile::InputFile(InputFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
    , m_path(std::move(other.m_path))
{}

InputFile &InputFile::operator=(InputFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_path = std::move(other.m_path);
    }
    return *this;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int InputFile::Release()
{
    return std::exchange(m_fd, -1);
}

std::optional<std::string> InputFile::ReadAll(std::string *error)
{
    // Never more than the size seen at the open: a file that grows meanwhile
    // cannot take the reader past the caller's bound.
    std::string bytes(static_cast<std::size_t>(m_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(m_fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (error)
                *error =
                    "Не удалось прочитать файл " + Quoted(m_path) + " (" + SystemText(errno) + ")";
            return std::nullopt;
        }
        if (got == 0)
            break; // the file shrank meanwhile
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

std::optional<std::string> ReadInputFile(const std::filesystem::path &path, std::uint64_t maxSize,
                                         std::string *error)
{
    auto file = InputFile::Open(path, maxSize, error);
    if (!file)
        return std::nullopt;
    return file->ReadAll(error);
}

bool WriteAllBytes(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

WriteOutcome ReplaceFileContent(const std::filesystem::path &target, std::string_view bytes,
                                LinkAtTarget links, const WriteSteps *steps)
{
    const auto failed = [](std::string text) { return WriteOutcome{std::move(text), false}; };
    const auto refused = [](std::string text) { return WriteOutcome{std::move(text), true}; };
    const WriteSteps plain{WriteAllBytes, [](int fd) { return ::fsync(fd) == 0; }};
    const WriteSteps &use = steps ? *steps : plain;

    std::filesystem::path path = target;
    struct stat entry
    {
    };
    const bool exists = ::lstat(target.c_str(), &entry) == 0;
    if (exists && S_ISLNK(entry.st_mode) && links == LinkAtTarget::Follow) {
        std::error_code error;
        path = std::filesystem::canonical(target, error);
        if (error)
            return failed(WriteFailureText(target, error.value()));
        if (::lstat(path.c_str(), &entry) != 0)
            return failed(WriteFailureText(target, errno));
    }
    if (exists && !S_ISLNK(entry.st_mode) && !S_ISREG(entry.st_mode)) {
        if (S_ISDIR(entry.st_mode))
            return refused(NotRegularFileText(target, "папка"));
        if (links == LinkAtTarget::Replace)
            return refused(NotRegularFileText(target, KindOfMode(entry.st_mode)));
        return failed(WriteDirectly(path, bytes, use));
    }

    RemoveStaleTemps(path);
    std::string temp =
        path.string() + std::string(kTempSuffix) + std::string(kTempUniqueLength, 'X');
    FdGuard fd(::mkstemp(temp.data()));
    if (fd.Get() < 0)
        return failed(WriteFailureText(target, errno));
    // A replaced file keeps its permission bits; a new one is readable by
    // all and writable by its owner (mkstemp alone would give 0600). A link
    // that is replaced passes nothing on.
    mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    struct stat old
    {
    };
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    errno = 0;
    const bool written = ::fchmod(fd.Get(), mode) == 0 && use.write(fd.Get(), bytes) &&
                         use.flush(fd.Get()) && ::close(fd.Release()) == 0 &&
                         ::rename(temp.c_str(), path.c_str()) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(temp.c_str());
        return failed(WriteFailureText(target, error));
    }
    // The file is in place by now; a folder that cannot be flushed (a file
    // system without that call) does not undo the write.
    SyncFolderOf(path);
    return {};
}

std::string WriteOutputFile(const std::string &path, std::string_view bytes)
{
    if (path == "-") {
        errno = 0;
        if (!WriteAllBytes(STDOUT_FILENO, bytes))
            return "Не удалось записать в стандартный вывод (" + SystemText(errno) + ")";
        return {};
    }
    return ReplaceFileContent(path, bytes, LinkAtTarget::Follow).problem;
}

} // namespace qv
