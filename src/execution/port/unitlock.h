#pragma once

// The unit lock "Quorvik.Hard.Status": every exchange sequence with the unit
// takes it first, so the status poll never interleaves with a run, a
// calibration or a connection check. It excludes other threads (an
// in-process timed lock) and other programs of the bench that reach the
// same unit (a lock file in the user's runtime directory, named after the
// unit's address; a lock left by a process that died is taken over). A unit
// simulated inside the program belongs to that program alone: its lock has
// no file, so programs on their own simulated units never wait for each
// other. Not recursive; it may be released by another thread than the one
// that took it.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class QLockFile;

namespace qv {

// The lock file's name for the unit at `address` (the setting "Адрес блока
// диагностики"): "Quorvik.Hard.Status.tcp-HOST-PORT.lock" or
// "Quorvik.Hard.Status.serial-DEVICE.lock" (the device with its links
// resolved, so two names of one device share a lock; bytes other than
// letters, digits, '.', '_' and '-' written as %XX). nullopt for a unit
// inside the program; "Quorvik.Hard.Status.lock" for an empty or unusable
// address (one lock for every such program, as a unit of unknown address).
std::optional<std::string> UnitLockFileName(std::string_view address);

class UnitLock
{
public:
    static constexpr const char *kName = "Quorvik.Hard.Status";

    // The lock of the unit at `address` (empty: of unknown address); the
    // lock file lives in `directory` (empty = DefaultLockDirectory()).
    explicit UnitLock(std::string directory = {}, std::string_view address = {});
    ~UnitLock();

    UnitLock(const UnitLock &) = delete;
    UnitLock &operator=(const UnitLock &) = delete;

    // Guards the unit at another address from now on. While the lock is
    // held, the change waits for its release, so a holder always releases
    // what it took.
    void Guard(std::string_view address);

    // False when the lock file cannot be set up; every Lock then fails.
    bool Valid() const;
    // The system's text of why it is not valid.
    std::string SetupError() const;
    // The lock file; empty for a unit inside the program.
    std::string FilePath() const;

    // Waits up to `wait` for both parts of the lock.
    bool Lock(std::chrono::milliseconds wait);
    void Unlock();

private:
    // Sets up the file part for address; m_mutex held (or not shared yet).
    void Bind(std::string_view address);

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::string m_directory;
    std::string m_path;       // empty: no file part
    std::string m_setupError; // not empty: every Lock fails
    std::unique_ptr<QLockFile> m_file;
    std::optional<std::string> m_pending; // an address to guard once released
};

// $XDG_RUNTIME_DIR, or a private folder of the user under the temporary
// folder when that is not set.
std::string DefaultLockDirectory();

} // namespace qv
