#include "execution/port/unitlock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

std::string DefaultLockDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime.toStdString();
    return (QDir::tempPath() + "/quorvik-" + QString::number(::getuid())).toStdString();
}

UnitLock::UnitLock(std::string directory)
{
    if (directory.empty())
        directory = DefaultLockDirectory();
    m_path = directory + "/" + kName + ".lock";
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        m_setupError = std::strerror(errno);
        return;
    }
    if (!QFileInfo(QString::fromStdString(directory)).isWritable()) {
        m_setupError = std::strerror(EACCES);
        return;
    }
    m_file = std::make_unique<QLockFile>(QString::fromStdString(m_path));
    // Only a dead owner makes the lock stale, never its age: a run may hold
    // the unit for as long as it needs.
    m_file->setStaleLockTime(std::chrono::milliseconds(0));
}

UnitLock::~UnitLock() = default;

bool UnitLock::Lock(std::chrono::milliseconds wait)
{
    if (!m_file)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    {
        std::unique_lock lock(m_mutex);
        if (!m_released.wait_until(lock, deadline, [this] { return !m_held; }))
            return false;
        m_held = true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (m_file->tryLock(std::max(left, std::chrono::milliseconds(0))))
        return true;
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_released.notify_one();
    return false;
}

void UnitLock::Unlock()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_held)
            return;
        m_file->unlock();
        m_held = false;
    }
    m_released.notify_one();
}

} // namespace qv
