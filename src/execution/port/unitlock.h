#pragma once

// The unit lock "Quorvik.Hard.Status": every exchange sequence with the unit
// takes it first, so the status poll never interleaves with a run, a
// calibration or a connection check. It excludes other threads (an
// in-process timed lock) and other programs of the bench (a lock file in
// the user's runtime directory; a lock left by a process that died is taken
// over). Not recursive; it may be released by another thread than the one
// that took it.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

class QLockFile;

namespace qv {

class UnitLock
{
public:
    static constexpr const char *kName = "Quorvik.Hard.Status";

    // The lock file lives in `directory`; empty = DefaultLockDirectory().
    explicit UnitLock(std::string directory = {});
    ~UnitLock();

    UnitLock(const UnitLock &) = delete;
    UnitLock &operator=(const UnitLock &) = delete;

    // False when the lock file cannot be set up; every Lock then fails.
    bool Valid() const { return m_file != nullptr; }
    // The system's text of why it is not valid.
    const std::string &SetupError() const { return m_setupError; }
    std::string FilePath() const { return m_path; }

    // Waits up to `wait` for both parts of the lock.
    bool Lock(std::chrono::milliseconds wait);
    void Unlock();

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::string m_path;
    std::string m_setupError;
    std::unique_ptr<QLockFile> m_file;
};

// $XDG_RUNTIME_DIR, or a private folder of the user under the temporary
// folder when that is not set.
std::string DefaultLockDirectory();

} // namespace qv
