#include "commands.h"

#include "unitcommand.h"

#include <array>
#include <iostream>

namespace qortool {

std::span<const Command> Commands()
{
    // Filled as the tool grows: pack, unpack, info, verify, resave, unit,
    // compile, disasm, run, render.
    static const std::array commands{
        Command{"unit", "info|check [--unit АДРЕС] [--board ФАЙЛ] [--timeout МС] [--io-check]",
                "сведения о сборке блока диагностики (info); связь и сброс блока (check); "
                "АДРЕС: sim, tcp://УЗЕЛ:ПОРТ, serial:/dev/ttyACM0",
                RunUnit},
    };
    return commands;
}

int UsageError(const Command &command, std::string_view problem)
{
    std::cerr << "qortool " << command.name << ": " << problem << "\n"
              << "Использование: qortool " << command.name << ' ' << command.usage << "\n";
    return ExitUsage;
}

} // namespace qortool
