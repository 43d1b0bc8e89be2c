// Where the program keeps its own files: beside a portable copy, never in a
// system folder, even for a user who may write there.

#include "infra/paths.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(AppPaths, APortableCopyKeepsItsFilesBesideItButASystemInstallDoesNot)
{
    const auto dir = std::filesystem::temp_directory_path() / "qv-paths-test";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(KeepsFilesBesideProgram(dir));

    for (const char *system : {"/usr/bin", "/usr/local/bin", "/usr/bin/../bin", "/bin", "/sbin"})
        EXPECT_FALSE(KeepsFilesBesideProgram(system)) << system;
    // A folder merely named like one is no system folder.
    std::filesystem::create_directories(dir / "usr" / "bin");
    EXPECT_TRUE(KeepsFilesBesideProgram(dir / "usr" / "bin"));
    // A folder that does not exist cannot take them.
    EXPECT_FALSE(KeepsFilesBesideProgram(dir / "missing"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qv
