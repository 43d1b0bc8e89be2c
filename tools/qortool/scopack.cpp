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

// Reads the text input, converts it and writes the bytes (convert throws
// DumpError for a broken text, or returns nullopt after its own refusal).
template <class Convert>
int PackText(std::string_view name, std::span<const std::string> args, Convert &&convert)
{
    const Command &command = CommandNamed(name);
    int status = ExitOk;
    const auto io = ParseIo(command, args, true, &status);
    if (!io)
        return status;
    const auto text = ReadFileBytes(io->input);
    if (!text)
        return Refused(command.name, "Нет доступа к файлу или файл отсутствует: " + io->input);
    try {
        const std::optional<std::string> bytes = convert(*text, io->input);
        return bytes ? Emit(command, *io, *bytes) : ExitRefused;
    } catch (const DumpError &e) {
        return Refused(command.name, io->input + ": " + e.what());
    }
}

} // namespace

int RunScoPack(std::span<const std::string> args)
{
    return PackText(
        "sco-pack", args,
        [](const std::string &text, const std::string &input) -> std::optional<std::string> {
            const auto records = ParseScoDump(text);
            if (records.size() > qv::kScoMaxRecords) {
                Refused("sco-pack", input + ": записей больше 1024");
                return std::nullopt;
            }
            return qv::BuildScoBytes(records);
        });
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
    return PackText("dat-pack", args,
                    [](const std::string &text, const std::string &) -> std::optional<std::string> {
                        return ParseDatDump(text);
                    });
}

} // namespace qortool
