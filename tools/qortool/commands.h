#pragma once

// The sub-commands of qortool. Each command lives in a file of its own and
// is listed once in commands.cpp.

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

// Prints a usage error for a command on stderr and returns ExitUsage.
int UsageError(const Command &command, std::string_view problem);

} // namespace qortool
