#pragma once

// The name of a function's data file as the operator types or chooses it.
// A data file lives in the test file's folder and is named there without
// any folder of its own.

#include <filesystem>
#include <string>
#include <string_view>

namespace qv {

// Whether `name` can name a data file in `folder`: a file of that name
// exists there, or one can be created under that name (probed in
// `probeFolder`, best a fresh scratch folder, and removed again). A name with a folder part ("/",
// "\" or "..") is never valid: the unit's data would be written outside the test's folder.
bool IsValidFileName(std::string_view name, const std::filesystem::path &folder,
                     const std::filesystem::path &probeFolder);

// A name without any "." gets ".dat" appended; an empty name stays empty.
std::string DataFileNameWithExtension(std::string_view name);

} // namespace qv
