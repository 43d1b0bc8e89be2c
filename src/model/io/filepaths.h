#pragma once

// Paths of the files that lie beside a test file.

#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The name part of a text that may carry a folder ('/' or '\' separated):
// a key that names a companion file never leads out of the test file's folder.
std::string BareFileName(std::string_view text);
// A data file name taken from a test file or the wire, as a name in the test
// file's folder: folder parts are dropped as for the contact file. nullopt for
// a name that leads out of the folder (a ".." part, an absolute path, a drive
// letter), names no file ("", ".") or holds control characters: such a name
// is refused, never resolved.
std::optional<std::string> DataFileNameInFolder(std::string_view text);
// The folder of `file` joined with `name`.
std::string BesideFile(const std::string &file, std::string_view name);
// The same, but when no file of exactly that name exists and the folder holds
// one whose name differs only in letter case, that one (files made on a
// case-blind system name their companions in any case).
std::string FindBesideFile(const std::string &file, std::string_view name);

} // namespace qv
