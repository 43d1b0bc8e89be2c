// qortool unpack: a test file into a QORDUMP text, at the container level.

#include "args.h"
#include "commands.h"
#include "dumpformat.h"
#include "infra/encoding.h"
#include "infra/messages.h"
#include "model/file/container.h"
#include "model/file/errors.h"
#include "model/file/filestore.h"

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
        qv::CryptoProvider crypto;
        std::vector<char> buffer(qv::kDigestChunkSize);
        const auto source = qv::FileSource::OpenLocked(input);
        const auto password = [&](const qv::Trailer &trailer) -> std::optional<std::string> {
            std::string padded;
            qv::Bytes32 check{};
            const auto bytes = typed ? qv::TryUtf8ToCp1251(*typed) : std::nullopt;
            if (!bytes || !qv::PasswordCheck(crypto, *bytes, padded, check) ||
                check != trailer.ReadCheck) {
                std::cerr << (typed ? qv::Msg(30)
                                    : "Файл защищён паролем на чтение: нужен "
                                      "--password")
                          << "\n";
                return std::nullopt;
            }
            return padded;
        };
        const qv::ContainerContent content = qv::ReadContainer(*source, crypto, buffer, password);
        QorDump dump;
        dump.flags = content.access.Flags;
        dump.buses = content.tyres.Definitions();
        dump.generalLines = BlockLines(content.generalText);
        for (const auto &text : content.testTexts) {
            dump.testLines.push_back(BlockLines(text));
        }
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
