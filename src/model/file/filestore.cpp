#include "model/file/filestore.h"

#include "model/file/errors.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

// Closes a descriptor on every path out of a scope.
class FdGuard
{
public:
    explicit FdGuard(int fd)
        : m_fd(fd)
    {}
    ~FdGuard()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FdGuard(const FdGuard &) = delete;
    FdGuard &operator=(const FdGuard &) = delete;
    int Get() const { return m_fd; }
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempUniqueLength = 6; // the XXXXXX that mkstemp fills

std::string TempPathFor(const std::string &path)
{
    return path + std::string(kTempSuffix) + std::string(kTempUniqueLength, 'X');
}

// Temporary files that a save of this path left behind when it was killed
// between creating and renaming them: NAME.tmp followed by six letters or
// digits.
void RemoveStaleTemps(const std::filesystem::path &path)
{
    const std::string prefix = path.filename().string() + std::string(kTempSuffix);
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
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
        if (std::filesystem::is_regular_file(it->symlink_status(ignored))) {
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

// A rename is durable once the folder that holds it is on the disk.
void SyncFolderOf(const std::string &path)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = std::filesystem::path(".");
    }
    FdGuard fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) {
        ::fsync(fd.Get());
    }
}

} // namespace

std::unique_ptr<FileSource> FileSource::OpenLocked(const std::string &path)
{
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        throw OpenFailure();
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        throw OpenFailure();
    }
    struct stat info
    {
    };
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw OpenFailure();
    }
    return std::unique_ptr<FileSource>(
        new FileSource(fd.Release(), static_cast<std::uint64_t>(info.st_size)));
}

FileSource::~FileSource()
{
    ::close(m_fd); // also releases the lock
}

void FileSource::ReadAt(std::uint64_t offset, std::span<char> out)
{
    const bool inWindow =
        offset >= m_windowOffset && offset + out.size() <= m_windowOffset + m_window.size();
    if (!inWindow && out.size() <= kSmallRead) {
        m_window.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, m_size - offset)));
        m_windowOffset = offset;
        ReadDirect(offset, m_window);
    }
    if (offset >= m_windowOffset && offset + out.size() <= m_windowOffset + m_window.size()) {
        std::memcpy(out.data(), m_window.data() + (offset - m_windowOffset), out.size());
        return;
    }
    ReadDirect(offset, out);
}

void FileSource::ReadDirect(std::uint64_t offset, std::span<char> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            throw ReadFailure();
        }
        done += static_cast<std::size_t>(got);
    }
}

void FileStore::Replace(const std::string &target, std::string_view bytes)
{
    // A link is followed, so that the file it names is replaced, not the link.
    std::string path = target;
    struct stat link
    {
    };
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code error;
        path = std::filesystem::canonical(target, error).string();
        if (error) {
            throw WriteFailure();
        }
    }
    RemoveStaleTemps(path);
    std::string temp = TempPathFor(path);
    FdGuard fd(::mkstemp(temp.data()));
    if (fd.Get() < 0) {
        throw WriteFailure();
    }
    // A replaced file keeps its permission bits; a new one is readable by
    // all and writable by its owner (mkstemp alone would give 0600).
    mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    struct stat old
    {
    };
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    }
    const bool written = ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), bytes) &&
                         Flush(fd.Get()) && ::close(fd.Release()) == 0 &&
                         ::rename(temp.c_str(), path.c_str()) == 0;
    if (!written) {
        ::unlink(temp.c_str());
        throw WriteFailure();
    }
    // The file is in place by now; a folder that cannot be flushed (a file
    // system without that call) does not undo the save.
    SyncFolderOf(path);
}

bool TryReplace(const std::string &path, std::string_view bytes)
{
    try {
        FileStore().Replace(path, bytes);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool FileStore::WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool FileStore::Flush(int fd)
{
    return ::fsync(fd) == 0;
}

bool IsReadOnlyFile(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
}

bool MakeWritable(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && ::chmod(path.c_str(), info.st_mode | S_IWUSR) == 0;
}

} // namespace qv
