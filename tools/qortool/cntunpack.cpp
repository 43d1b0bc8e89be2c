// qortool cnt-unpack: a contact file into a QORCNT text.

#include "args.h"
#include "commands.h"
#include "dumpformat.h"
#include "model/contactfile.h"
#include "model/container.h"
#include "model/errors.h"
#include "model/filestore.h"

#include <iostream>

namespace qortool {

int RunCntUnpack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("cnt-unpack");
    std::string problem;
    const auto parsed = ParseArgs(args, {"-o"}, {}, &problem);
    if (!parsed) {
        return UsageError(command, problem);
    }
    if (parsed->positional.size() != 1) {
        return UsageError(command, "нужен один файл контактов");
    }
    const std::string &input = parsed->positional.front();
    std::string dumpText;
    try {
        qv::CryptoProvider crypto;
        std::vector<char> buffer(qv::kDigestChunkSize);
        const auto source = qv::FileSource::OpenLocked(input);
        dumpText = FormatCntDump(qv::ReadContactFile(*source, crypto, buffer));
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (!line) {
            throw;
        }
        return Refused(command.name, input + ": " + *line);
    }
    if (const auto output = parsed->Value("-o")) {
        return WriteResult(command.name, *output, dumpText);
    }
    std::cout << dumpText;
    return ExitOk;
}

} // namespace qortool
