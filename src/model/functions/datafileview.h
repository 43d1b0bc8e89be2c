#pragma once

// A function's data file read whole for the data window, with the size
// check every reader of a data file applies (1 to 1048576 bytes).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::int64_t kMaxDataFileSize = 1048576;

// Empty when a file of `size` bytes may be used; otherwise "Файл \"" + name
// + "\" " and catalogue message 10 (too big) or 67 (empty).
std::string CheckDataFileSize(std::int64_t size, std::string_view name);

struct DataFileBytes
{
    std::vector<std::uint8_t> bytes; // empty when refused
    std::string refusal;             // the operator's message; empty when read
};

// A missing file gives catalogue message 12, one that cannot be read 11,
// each followed by " \"", the name and "\""; a size outside 1..1048576 the
// size check's text. The file is never read past the limit.
DataFileBytes ReadDataFileToView(const std::filesystem::path &path, std::string_view name);

} // namespace qv
