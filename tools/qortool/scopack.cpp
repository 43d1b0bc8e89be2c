// qortool sco-pack, sco-unpack and dat-pack: the oscillogram file and the
// data files of the functions to and from their text forms.

#include "args.h"
#include "bytedump.h"
#include "commands.h"
#include "dumpformat.h"

#include <iostream>

namespace qortool {
namespace {

// The common frame: one input, "-o" required or optional.
struct Io
{
    std::string input;
    std::optional<std::string> output;
};

std::optional<Io> ParseIo(const Command &command, std::span<const std::string> args,
                          bool outputRequired, int *status)
{
    std::string problem;
    const auto parsed = ParseArgs(args, {"-o"}, {}, &problem);
    if (!parsed) {
        *status = UsageError(command, problem);
        return std::nullopt;
    }
    if (parsed->positional.size() != 1 || (outputRequired && !parsed->Value("-o"))) {
        *status = UsageError(command, outputRequired ? "нужны входной файл и -o ВЫХОД"
                                                     : "нужен один входной файл");
        return std::nullopt;
    }
    return Io{parsed->positional.front(), parsed->Value("-o")};
}

int Emit(const Command &command, const Io &io, const std::string &bytes)
{
    if (io.output)
        return WriteResult(command.name, *io.output, bytes);
    std::cout << bytes;
    return ExitOk;
}

} // namespace

int RunScoPack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("sco-pack");
    int status = ExitOk;
    const auto io = ParseIo(command, args, true, &status);
    if (!io)
        return status;
    const auto text = ReadFileBytes(io->input);
    if (!text)
        return Refused(command.name, "Нет доступа к файлу или файл отсутствует: " + io->input);
    try {
        const auto records = ParseScoDump(*text);
        if (records.size() > qv::kScoMaxRecords)
            return Refused(command.name, io->input + ": записей больше 1024");
        return Emit(command, *io, qv::BuildScoBytes(records));
    } catch (const DumpError &e) {
        return Refused(command.name, io->input + ": " + e.what());
    }
}

int RunScoUnpack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("sco-unpack");
    int status = ExitOk;
    const auto io = ParseIo(command, args, false, &status);
    if (!io)
        return status;
    const auto bytes = ReadFileBytes(io->input);
    std::vector<qv::SScoRecord> records;
    const qv::ScoReadError error =
        bytes ? qv::ParseScoBytes(*bytes, records) : qv::ScoReadError::Read;
    if (error != qv::ScoReadError::None)
        return Refused(command.name, qv::ScoFailureMessage(error, io->input));
    return Emit(command, *io, FormatScoDump(records));
}

int RunDatPack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("dat-pack");
    int status = ExitOk;
    const auto io = ParseIo(command, args, true, &status);
    if (!io)
        return status;
    const auto text = ReadFileBytes(io->input);
    if (!text)
        return Refused(command.name, "Нет доступа к файлу или файл отсутствует: " + io->input);
    try {
        return Emit(command, *io, ParseDatDump(*text));
    } catch (const DumpError &e) {
        return Refused(command.name, io->input + ": " + e.what());
    }
}

} // namespace qortool
