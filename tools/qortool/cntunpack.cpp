// qortool cnt-unpack: a contact file into a QORCNT text.

#include "args.h"
#include "commands.h"
#include "dumpformat.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"

#include <iostream>

namespace qortool {

int RunCntUnpack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("cnt-unpack");
    const auto parsed = ParseCommandArgs(command, args, {"-o"}, {}, 1, "нужен один файл контактов");
    if (!parsed) {
        return ExitUsage;
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
