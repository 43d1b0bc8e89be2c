#pragma once

// A test file to its QORDUMP and a QORDUMP back to a test file's bytes, at
// the container level: the two halves of qortool unpack/pack, also used by
// the test editor.

#include "dumpformat.h"
#include "model/file/container.h"

#include <optional>
#include <string>

namespace qortool {

struct FileDump
{
    QorDump dump;
    qv::Trailer access; // the file's flags and password checks
};

// The padded form of the typed password (UTF-8) when its check value is
// `expected`; nullopt for another password or one the file cannot hold.
std::optional<std::string> MatchingPassword(const std::string &typed, const qv::Bytes32 &expected);

// Reads the file; `password` is asked for the padded read password when
// the file has one. Throws what the container throws (see
// qv::FailureLogLine).
FileDump DumpOfFile(const std::string &path, const qv::ReadPasswordSource &password);

// The container bytes of a dump; nullopt with *problem set when its
// passwords do not fit its flags or the file cannot hold them. Throws
// DumpError or what the container throws.
std::optional<std::string> ContainerOfDump(const QorDump &dump, std::string *problem);

} // namespace qortool
