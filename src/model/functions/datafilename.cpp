#include "model/functions/datafilename.h"

#include <fstream>

namespace qv {

bool IsValidFileName(std::string_view name, const std::filesystem::path &folder,
                     const std::filesystem::path &probeFolder)
{
    if (name.empty() || name.find_first_of("/\\") != std::string_view::npos || name == "." ||
        name == "..")
        return false;
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / std::string(name), error))
        return true;
    // Only a file this call made is removed again.
    const std::filesystem::path probe = probeFolder / std::string(name);
    if (std::filesystem::exists(probe, error))
        return std::filesystem::is_regular_file(probe, error);
    bool created = false;
    {
        std::ofstream file(probe, std::ios::binary);
        created = file.is_open();
    }
    if (created)
        std::filesystem::remove(probe, error);
    return created;
}

std::string DataFileNameWithExtension(std::string_view name)
{
    std::string result(name);
    if (!result.empty() && result.find('.') == std::string::npos)
        result += ".dat";
    return result;
}

} // namespace qv
