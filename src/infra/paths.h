#pragma once

// Where the program keeps its own files (settings ".cfg" and ".ini",
// "Exception.log", the ".clb" wait table, the "remote" folder).
//
// Beside the executable when its folder is writable and no system folder (a
// portable install); otherwise in the user's configuration folder:
// $XDG_CONFIG_HOME/Quorvik, or ~/.config/Quorvik when XDG_CONFIG_HOME is
// not set. A package installs into /usr/bin, which root may write to: the
// settings must not go there all the same.

#include <filesystem>
#include <string>

namespace qv {

std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableDir();

// Whether the program's files are kept beside an executable in `dir`: a
// writable folder outside /usr, /bin and /sbin.
bool KeepsFilesBesideProgram(const std::filesystem::path &dir);

// The folder for the program's own files; created when missing. An
// override (used by tests and by a "--data-dir" style option) wins.
std::filesystem::path AppDataDir();
void SetAppDataDirOverride(const std::filesystem::path &dir);

// A file of the program's own, named after the executable with another
// extension (".cfg", ".ini", ".clb").
std::filesystem::path AppFile(const std::string &extension);

} // namespace qv
