#include "model/filepaths.h"

#include "infra/helpers.h"

#include <filesystem>

namespace qv {

std::string BareFileName(std::string_view text)
{
    const std::size_t slash = text.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

std::string BesideFile(const std::string &file, std::string_view name)
{
    return (std::filesystem::path(file).parent_path() / std::filesystem::path(name)).string();
}

std::string FindBesideFile(const std::string &file, std::string_view name)
{
    const std::string exact = BesideFile(file, name);
    std::error_code error;
    if (name.empty() || std::filesystem::exists(exact, error)) {
        return exact;
    }
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    error.clear();
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (SameTextNoCase(candidate, name)) {
            return BesideFile(file, candidate);
        }
    }
    return exact;
}

} // namespace qv
