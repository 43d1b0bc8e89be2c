#include "commands.h"

#include <array>
#include <iostream>

namespace qortool {

std::span<const Command> Commands()
{
    // Filled as the tool grows: pack, unpack, info, verify, resave, unit,
    // compile, disasm, run, render.
    static const std::array<Command, 0> commands{};
    return commands;
}

int UsageError(const Command &command, std::string_view problem)
{
    std::cerr << "qortool " << command.name << ": " << problem << "\n"
              << "Использование: qortool " << command.name << ' ' << command.usage << "\n";
    return ExitUsage;
}

} // namespace qortool
