#pragma once

// Where the program finds the helper programs it starts (the test editor,
// the byte splitter, the self-diagnostics): beside its own executable, or
// in the folder set here (tests run from another folder).

#include <QString>

namespace qv::services {

inline constexpr const char *kTestEditorProgram = "quorvik-edit";
inline constexpr const char *kByteSplitterProgram = "quorvik-splitbytes";
inline constexpr const char *kSelfTestProgram = "quorvik-selftest";

// The full path of helper program `name`.
QString HelperProgramPath(const QString &name);

// Empty: beside the executable again.
void SetHelperProgramDirectory(const QString &directory);

} // namespace qv::services
