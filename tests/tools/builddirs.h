#pragma once

// The build and source folders the test binaries are run for: ctest names
// them in the environment; run by hand from build/tests they are found
// relative to it.

#include <cstdlib>
#include <filesystem>

namespace qv::testing {

inline std::filesystem::path BinaryDir()
{
    const char *dir = std::getenv("QORVIK_BINARY_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::current_path().parent_path();
}

inline std::filesystem::path SourceDir()
{
    const char *dir = std::getenv("QORVIK_SOURCE_DIR");
    return dir ? std::filesystem::path(dir)
               : std::filesystem::current_path().parent_path().parent_path();
}

} // namespace qv::testing
