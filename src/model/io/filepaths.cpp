#include "model/io/filepaths.h"

#include "infra/helpers.h"

#include <filesystem>

namespace qv {

std::string BareFileName(std::string_view text)
{
    const std::size_t slash = text.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

std::optional<std::string> DataFileNameInFolder(std::string_view text)
{
    const auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    if (text.empty() || isSeparator(text.front()) || (text.size() > 1 && text[1] == ':'))
        return std::nullopt;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < 0x20 || byte == 0x7F)
                return std::nullopt;
            if (!isSeparator(text[i]))
                continue;
        }
        if (text.substr(partStart, i - partStart) == "..")
            return std::nullopt;
        partStart = i + 1;
    }
    std::string name = BareFileName(text);
    if (name.empty() || name == ".")
        return std::nullopt;
    return name;
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
