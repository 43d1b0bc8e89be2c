// qortool disasm: a readable listing of a program image, read by the
// simulated unit's own reader (so it shows what a unit makes of the image).

#include "args.h"
#include "commands.h"
#include "infra/plural.h"
#include "sim/program.h"
#include "sim/programlisting.h"

#include <iostream>

namespace qortool {

int RunDisasm(std::span<const std::string> args)
{
    const Command &command = CommandNamed("disasm");
    const auto parsed = ParseCommandArgs(command, args, {}, {}, 1, "нужен один файл образа");
    if (!parsed)
        return ExitUsage;
    const auto bytes = ReadInput(command.name, parsed->positional.front());
    if (!bytes)
        return ExitRefused;
    std::string why;
    const auto program = qv::sim::ReadProgram(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes->data()), bytes->size()), &why);
    if (!program)
        return Refused(command.name, "образ не читается: " + why);
    std::cout << "Образ: " << qv::Counted(static_cast<std::int64_t>(bytes->size()), qv::kByteNoun)
              << "\n"
              << qv::sim::ProgramListing(*program);
    return ExitOk;
}

} // namespace qortool
