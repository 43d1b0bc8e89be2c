// qortool cnt-pack: a QORCNT text into a contact file.

#include "args.h"
#include "commands.h"
#include "dumpformat.h"
#include "model/file/contactfile.h"

namespace qortool {

int RunCntPack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("cnt-pack");
    const auto parsed = ParseCommandArgs(command, args, {"-o"}, {}, 1, "нужен один файл дампа");
    if (!parsed) {
        return ExitUsage;
    }
    const auto output = parsed->Value("-o");
    if (!output) {
        return UsageError(command, "нужно -o ФАЙЛ.CNT");
    }
    const std::string &input = parsed->positional.front();
    const auto text = ReadInput(command.name, input);
    if (!text) {
        return ExitRefused;
    }
    qv::ContactFileContent content;
    try {
        CntDump dump = ParseCntDump(*text);
        content.created = dump.created.value_or(0.0);
        content.modified = dump.modified.value_or(content.created);
        content.records = std::move(dump.records);
        if (content.records.size() > 0xFFFF) {
            return Refused(command.name, input + ": записей больше 65535");
        }
    } catch (const DumpError &e) {
        return Refused(command.name, input + ": " + e.what());
    }
    qv::CryptoProvider crypto;
    return WriteResult(command.name, *output, qv::BuildContactFile(content, crypto));
}

} // namespace qortool
