// qortool unpack: a test file into a QORDUMP text, at the container level.

#include "args.h"
#include "commands.h"
#include "dumpfile.h"
#include "infra/messages.h"
#include "model/io/errors.h"

#include <iostream>

namespace qortool {

int RunUnpack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("unpack");
    const auto parsed =
        ParseCommandArgs(command, args, {"-o", "--password"}, {}, 1, "нужен один файл тестов");
    if (!parsed) {
        return ExitUsage;
    }
    const std::string &input = parsed->positional.front();
    const auto typed = parsed->Value("--password");
    std::string dumpText;
    try {
        const auto password = [&](const qv::Trailer &trailer) -> std::optional<std::string> {
            auto padded = typed ? MatchingPassword(*typed, trailer.ReadCheck) : std::nullopt;
            if (!padded) {
                std::cerr << (typed ? qv::Msg(30)
                                    : "Файл защищён паролем на чтение: нужен "
                                      "--password")
                          << "\n";
            }
            return padded;
        };
        const QorDump dump = DumpOfFile(input, password).dump;
        dumpText = FormatQorDump(dump);
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (!line) {
            throw;
        }
        if (line->empty()) {
            return ExitRefused; // cancelled: already said why
        }
        return Refused(command.name, input + ": " + *line);
    }
    if (const auto output = parsed->Value("-o")) {
        return WriteResult(command.name, *output, dumpText);
    } else {
        std::cout << dumpText;
    }
    return ExitOk;
}

} // namespace qortool
