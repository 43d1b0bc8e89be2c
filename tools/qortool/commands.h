#pragma once

// The sub-commands of qortool. Each command lives in a file of its own and
// is listed once in commands.cpp.

#include "args.h"

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace qortool {

// Exit statuses shared by every command.
enum Exit : int { ExitOk = 0, ExitRefused = 1, ExitUsage = 2 };

struct Command
{
    std::string_view name;
    std::string_view usage;   // argument synopsis after the name
    std::string_view summary; // one line for --help
    int (*run)(std::span<const std::string> args);
};

std::span<const Command> Commands();
// What `qortool NAME --help` prints after the synopsis and summary: the
// options and exit statuses of a command that has more to say; else empty.
std::string_view CommandDetails(std::string_view name);
// The command of that name (it must exist).
const Command &CommandNamed(std::string_view name);

// The commands, one file each.
int RunPack(std::span<const std::string> args);
int RunUnpack(std::span<const std::string> args);
int RunCntPack(std::span<const std::string> args);
int RunCntUnpack(std::span<const std::string> args);
int RunInfo(std::span<const std::string> args);
int RunVerify(std::span<const std::string> args);
int RunResave(std::span<const std::string> args);
int RunScoPack(std::span<const std::string> args);
int RunScoUnpack(std::span<const std::string> args);
int RunDatPack(std::span<const std::string> args);
int RunCompile(std::span<const std::string> args);
int RunDisasm(std::span<const std::string> args);
int RunRender(std::span<const std::string> args);
int RunRun(std::span<const std::string> args);
int RunExport(std::span<const std::string> args);
int RunCoverage(std::span<const std::string> args);

// Parses a command's arguments: the options it takes and exactly
// `positionalCount` other arguments (`positionalProblem` says which). On a
// problem the usage error is printed and nullopt returned.
std::optional<ParsedArgs> ParseCommandArgs(const Command &command,
                                           std::span<const std::string> args,
                                           const std::set<std::string> &valueOptions,
                                           const std::set<std::string> &flagOptions,
                                           std::size_t positionalCount,
                                           std::string_view positionalProblem);

// The text of an input file, or nullopt after printing the refusal.
std::optional<std::string> ReadInput(std::string_view name, const std::string &path);

// Writes bytes to path through a temporary file; ExitOk, or the refusal.
int WriteResult(std::string_view name, const std::string &path, std::string_view bytes);

// Prints a refusal on stderr ("qortool NAME: text") and returns ExitRefused.
int Refused(std::string_view name, std::string_view text);

// Prints a usage error for a command on stderr and returns ExitUsage.
int UsageError(const Command &command, std::string_view problem);

} // namespace qortool
