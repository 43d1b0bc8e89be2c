#include "model/io/filestore.h"

#include "infra/fdguard.h"
#include "infra/safefile.h"
#include "model/io/errors.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

std::unique_ptr<FileSource> FileSource::OpenLocked(const std::string &path)
{
    std::string problem;
    auto file = InputFile::Open(path, std::numeric_limits<std::uint64_t>::max(), &problem);
    if (!file) {
        // A missing or unreadable file keeps the container's own line.
        throw OpenFailure(NonRegularKind(path).empty() ? std::string() : problem);
    }
    const std::uint64_t size = file->Size();
    FdGuard fd(file->Release());
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        throw OpenFailure();
    }
    return std::unique_ptr<FileSource>(new FileSource(fd.Release(), size));
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

void FileStore::Replace(const std::string &target, std::string_view bytes, LinkAtTarget links)
{
    const WriteSteps steps{[this](int fd, std::string_view part) { return WriteAll(fd, part); },
                           [this](int fd) { return Flush(fd); }};
    const WriteOutcome outcome = ReplaceFileContent(target, bytes, links, &steps);
    if (outcome.targetRefused) {
        throw WriteFailure(outcome.problem);
    }
    if (!outcome.Ok()) {
        throw WriteFailure();
    }
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
    return WriteAllBytes(fd, bytes);
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
