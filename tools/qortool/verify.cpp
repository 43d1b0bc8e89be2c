// qortool verify: loads a test file through the document and prints OK, or
// the lines the operator would see in the load log window (status 1 also
// when the file loaded with warnings).

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
        // Warnings: the file loads and shows, but the tests they name do not run.
        if (session.PrintShownLines(std::cout) == 0) {
            std::cout << "OK\n";
            return ExitOk;
        }
        std::cout.flush(); // the warnings come before the closing line on a terminal
        std::cerr << "qortool verify: файл загружен с предупреждениями\n";
        return ExitRefused;
    }
    if (session.PrintShownLines(std::cout) == 0) {
        std::cerr << "qortool verify: "
                  << (session.PasswordMissing() ? Session::kPasswordMissing : "файл не загружен")
                  << "\n";
    }
    return ExitRefused;
}

} // namespace qortool
