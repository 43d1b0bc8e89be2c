// qortool pack: a QORDUMP text into a test file, at the container level
// (any section text, also a broken one, can be packed).

#include "args.h"
#include "commands.h"
#include "dumpfile.h"
#include "model/io/errors.h"

#include <iostream>

namespace qortool {

int RunPack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("pack");
    const auto parsed = ParseCommandArgs(command, args, {"-o"}, {}, 1, "нужен один файл дампа");
    if (!parsed) {
        return ExitUsage;
    }
    const auto output = parsed->Value("-o");
    if (!output) {
        return UsageError(command, "нужно -o ФАЙЛ.QOR");
    }
    const std::string &input = parsed->positional.front();
    const auto text = ReadInput(command.name, input);
    if (!text) {
        return ExitRefused;
    }
    try {
        std::string problem;
        const auto bytes = ContainerOfDump(ParseQorDump(*text), &problem);
        if (!bytes) {
            return Refused(command.name, input + ": " + problem);
        }
        return WriteResult(command.name, *output, *bytes);
    } catch (const DumpError &e) {
        return Refused(command.name, input + ": " + e.what());
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (line && !line->empty()) {
            return Refused(command.name, *output + ": " + *line);
        }
        throw;
    }
}

} // namespace qortool
