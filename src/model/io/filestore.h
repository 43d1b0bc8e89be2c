#pragma once

// The file operations of the container and the comment file, behind one
// seam so that a failing disk can be simulated.
//
// Replace never leaves a half-written file: the bytes go to a temporary file
// in the target's folder, are flushed to the disk, and the temporary file is
// renamed over the target, and the folder is flushed so that the rename
// stays. On any failure the temporary file is removed, the old target is
// untouched, and WriteFailure is thrown. Temporary files of the same target
// left behind by a save that was killed are removed first.

#include "infra/safefile.h"
#include "model/io/bytesource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

// A file opened for reading under an exclusive advisory lock (flock), held
// until the source is destroyed.
class FileSource : public ByteSource
{
public:
    // Throws OpenFailure when the file is missing, unreadable or locked by
    // another copy, and (with the reason) when it is not a regular file: the
    // open never waits on a named pipe.
    static std::unique_ptr<FileSource> OpenLocked(const std::string &path);
    ~FileSource() override;

    std::uint64_t Size() const override { return m_size; }

protected:
    void ReadAt(std::uint64_t offset, std::span<char> out) override;

private:
    FileSource(int fd, std::uint64_t size)
        : m_fd(fd)
        , m_size(size)
    {}
    void ReadDirect(std::uint64_t offset, std::span<char> out);

    int m_fd;
    std::uint64_t m_size;
    // A window of the file kept for the many small reads of headers and
    // records; large reads bypass it.
    static constexpr std::size_t kWindowSize = 16384;
    static constexpr std::size_t kSmallRead = 1024;
    std::string m_window;
    std::uint64_t m_windowOffset = 0;
};

class FileStore
{
public:
    virtual ~FileStore() = default;

    std::unique_ptr<FileSource> OpenLocked(const std::string &path)
    {
        return FileSource::OpenLocked(path);
    }
    // Replaces the content of path with bytes (see above). A device or a
    // named pipe at path is written directly; a folder throws WriteFailure
    // with its reason. links says what a symbolic link at path means: a
    // name the operator chose is followed, one the program made up from a
    // test file or a peer is replaced.
    void Replace(const std::string &path, std::string_view bytes,
                 LinkAtTarget links = LinkAtTarget::Follow);

protected:
    // Writes all bytes to the open descriptor; false on a failure. A test
    // overrides it to simulate a full disk.
    virtual bool WriteAll(int fd, std::string_view bytes);
    virtual bool Flush(int fd);
};

// FileStore::Replace on the real file system for callers that only need to
// know whether it worked: false when the write failed (the old file stays).
bool TryReplace(const std::string &path, std::string_view bytes);

// Permission helpers. A file is read-only for us when its permission bits
// give the owner no write right (checked on the bits, so that it holds for
// root too).
bool IsReadOnlyFile(const std::string &path);
bool MakeWritable(const std::string &path);

} // namespace qv
