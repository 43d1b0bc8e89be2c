// qortool verify: loads a test file through the document and prints OK, or
// the lines the operator would see in the load log window.

#include "args.h"
#include "commands.h"
#include "session.h"

#include <iostream>

namespace qortool {

int RunVerify(std::span<const std::string> args)
{
    const Command &command = CommandNamed("verify");
    const auto parsed = ParseCommandArgs(command, args, kSessionValueOptions, kSessionFlagOptions,
                                         1, "нужен один файл тестов");
    if (!parsed) {
        return ExitUsage;
    }
    Session session(*parsed);
    if (session.Document().LoadFile(parsed->positional.front())) {
        std::cout << "OK\n";
        return ExitOk;
    }
    if (session.PrintShownLines(std::cout) == 0) {
        std::cerr << "qortool verify: файл не загружен\n";
    }
    return ExitRefused;
}

} // namespace qortool
