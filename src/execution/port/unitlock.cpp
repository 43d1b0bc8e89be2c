#include "execution/port/unitlock.h"

#include "execution/link/unitaddress.h"
#include "infra/systemerror.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

// A file name part that stands for the text alone: two texts never give
// the same part.
std::string NamePart(std::string_view text)
{
    std::string part;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (std::isalnum(byte) || ch == '.' || ch == '_' || ch == '-') {
            part += ch;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            part += escaped;
        }
    }
    return part;
}

std::string Lowered(std::string text)
{
    for (char &ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

} // namespace

std::string DefaultLockDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime.toStdString();
    return (QDir::tempPath() + "/quorvik-" + QString::number(::getuid())).toStdString();
}

std::optional<std::string> UnitLockFileName(std::string_view address)
{
    const std::string machineWide = std::string(UnitLock::kName) + ".lock";
    std::string why;
    const auto unit = address.empty() ? std::nullopt : ParseUnitAddress(address, &why);
    if (!unit)
        return machineWide;
    std::string name = std::string(UnitLock::kName) + ".";
    switch (unit->transport) {
    case UnitAddress::Transport::Sim:
        return std::nullopt;
    case UnitAddress::Transport::Tcp:
        name += "tcp-" + NamePart(Lowered(unit->host)) + "-" + std::to_string(unit->port);
        break;
    case UnitAddress::Transport::Serial: {
        const QString device = QString::fromStdString(unit->device);
        const QString resolved = QFileInfo(device).canonicalFilePath();
        name += "serial-" + NamePart((resolved.isEmpty() ? device : resolved).toStdString());
        break;
    }
    }
    return name + ".lock";
}

UnitLock::UnitLock(std::string directory, std::string_view address)
    : m_directory(directory.empty() ? DefaultLockDirectory() : std::move(directory))
{
    Bind(address);
}

UnitLock::~UnitLock() = default;

void UnitLock::Bind(std::string_view address)
{
    m_file.reset();
    m_path.clear();
    m_setupError.clear();
    const auto name = UnitLockFileName(address);
    if (!name)
        return;
    m_path = m_directory + "/" + *name;
    if (::mkdir(m_directory.c_str(), 0700) != 0 && errno != EEXIST) {
        m_setupError = SystemErrorText(errno);
        return;
    }
    if (!QFileInfo(QString::fromStdString(m_directory)).isWritable()) {
        m_setupError = SystemErrorText(EACCES);
        return;
    }
    m_file = std::make_unique<QLockFile>(QString::fromStdString(m_path));
    // Only a dead owner makes the lock stale, never its age: a run may hold
    // the unit for as long as it needs.
    m_file->setStaleLockTime(std::chrono::milliseconds(0));
}

void UnitLock::Guard(std::string_view address)
{
    std::lock_guard lock(m_mutex);
    if (m_held) {
        m_pending = std::string(address);
        return;
    }
    m_pending.reset();
    Bind(address);
}

bool UnitLock::Valid() const
{
    std::lock_guard lock(m_mutex);
    return m_setupError.empty();
}

std::string UnitLock::SetupError() const
{
    std::lock_guard lock(m_mutex);
    return m_setupError;
}

std::string UnitLock::FilePath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

bool UnitLock::Lock(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    QLockFile *file = nullptr;
    {
        std::unique_lock lock(m_mutex);
        if (!m_setupError.empty())
            return false;
        if (!m_released.wait_until(lock, deadline, [this] { return !m_held; }))
            return false;
        // The binding may have changed while this thread waited.
        if (!m_setupError.empty())
            return false;
        m_held = true;
        // Not rebound while held: the file stays valid outside the mutex.
        file = m_file.get();
    }
    if (file == nullptr)
        return true; // a unit inside the program: threads are all it shares with
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (file->tryLock(std::max(left, std::chrono::milliseconds(0))))
        return true;
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
        if (m_pending) {
            Bind(*m_pending);
            m_pending.reset();
        }
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
        if (m_file)
            m_file->unlock();
        m_held = false;
        if (m_pending) {
            Bind(*m_pending);
            m_pending.reset();
        }
    }
    m_released.notify_one();
}

} // namespace qv
