#pragma once

// Where the program finds the helper programs it starts (the test editor,
// the byte splitter, the self-diagnostics): beside its own executable, or
// in the folder set here (tests run from another folder). Start-up checks
// that they are there.

#include <QString>
#include <QStringList>

namespace qv::services {

inline constexpr const char *kTestEditorProgram = "quorvik-edit";
inline constexpr const char *kByteSplitterProgram = "quorvik-splitbytes";
inline constexpr const char *kSelfTestProgram = "quorvik-selftest";

// The full path of helper program `name`.
QString HelperProgramPath(const QString &name);

// The helper programs that are missing or cannot be run, by name; empty
// when all are in place.
QStringList MissingHelperPrograms();

// The start-up check: one warning naming the missing programs (the
// commands that start them report their own failure when used). False
// when something is missing.
bool CheckHelperPrograms();

// Empty: beside the executable again.
void SetHelperProgramDirectory(const QString &directory);

} // namespace qv::services
