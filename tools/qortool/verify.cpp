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
    std::string problem;
    const auto parsed = ParseArgs(args, kSessionValueOptions, kSessionFlagOptions, &problem);
    if (!parsed) {
        return UsageError(command, problem);
    }
    if (parsed->positional.size() != 1) {
        return UsageError(command, "нужен один файл тестов");
    }
    Session session(*parsed);
    if (session.Document().LoadFile(parsed->positional.front())) {
        std::cout << "OK\n";
        return ExitOk;
    }
    const auto lines = session.ShownLines();
    for (const auto &line : lines) {
        std::cout << line << "\n";
    }
    if (lines.empty()) {
        std::cerr << "qortool verify: файл не загружен\n";
    }
    return ExitRefused;
}

} // namespace qortool
