#include "infra/paths.h"

#include <cstdlib>
#include <mutex>
#include <system_error>
#include <unistd.h>

namespace qv {
namespace {

std::mutex g_mutex;
std::filesystem::path g_override;

bool IsWritableDir(const std::filesystem::path &dir)
{
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path UserConfigDir()
{
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        return std::filesystem::path(xdg) / "Quorvik";
    if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".config" / "Quorvik";
    return std::filesystem::temp_directory_path() / "Quorvik";
}

} // namespace

bool KeepsFilesBesideProgram(const std::filesystem::path &dir)
{
    const std::string text = dir.lexically_normal().string();
    for (const std::string_view system : {"/usr", "/bin", "/sbin"}) {
        if (text == system || text.starts_with(std::string(system) + "/"))
            return false;
    }
    return IsWritableDir(dir);
}

std::filesystem::path ExecutablePath()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("quorvik") : path;
}

std::filesystem::path ExecutableDir()
{
    return ExecutablePath().parent_path();
}

void SetAppDataDirOverride(const std::filesystem::path &dir)
{
    std::lock_guard lock(g_mutex);
    g_override = dir;
}

std::filesystem::path AppDataDir()
{
    std::filesystem::path dir;
    {
        std::lock_guard lock(g_mutex);
        dir = g_override;
    }
    if (dir.empty()) {
        dir = ExecutableDir();
        if (!KeepsFilesBesideProgram(dir))
            dir = UserConfigDir();
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path AppFile(const std::string &extension)
{
    auto name = ExecutablePath().filename();
    name.replace_extension(extension);
    return AppDataDir() / name;
}

} // namespace qv
