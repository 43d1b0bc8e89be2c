// qortool pack: a QORDUMP text into a test file, at the container level
// (any section text, also a broken one, can be packed).

#include "args.h"
#include "commands.h"
#include "dumpformat.h"
#include "infra/daycount.h"
#include "infra/encoding.h"
#include "model/file/container.h"
#include "model/file/errors.h"
#include "model/file/filestore.h"

#include <iostream>

namespace qortool {
namespace {

// The padded password and its check value; refuses a password the file
// cannot hold.
bool PreparePassword(qv::CryptoProvider &crypto, const std::string &typed, std::string &padded,
                     qv::Bytes32 &check, std::string &problem)
{
    const auto bytes = qv::TryUtf8ToCp1251(typed);
    if (!bytes || bytes->size() > qv::kMaxPasswordLength) {
        problem = "пароль должен состоять не более чем из 32 символов кодовой страницы 1251";
        return false;
    }
    if (!qv::PasswordCheck(crypto, *bytes, padded, check)) {
        problem = "сбой криптографической библиотеки";
        return false;
    }
    return true;
}

} // namespace

int RunPack(std::span<const std::string> args)
{
    const Command &command = CommandNamed("pack");
    const auto parsed = ParseCommandArgs(command, args, {"-o"}, {}, 1, "нужен один файл дампа");
    if (!parsed) {
        return ExitUsage;
    }
    const auto output = parsed->Value("-o");
    if (!output) {
        return UsageError(command, "нужно -o ФАЙЛ.QOR");
    }
    const std::string &input = parsed->positional.front();
    const auto text = ReadInput(command.name, input);
    if (!text) {
        return ExitRefused;
    }
    std::string problem;
    try {
        const QorDump dump = ParseQorDump(*text);
        qv::CryptoProvider crypto;
        qv::ContainerParts parts;
        parts.access.Flags = static_cast<std::uint8_t>(dump.flags);
        std::string readPassword;
        const bool wantsRead = (dump.flags & qv::kFlagReadPassword) != 0;
        const bool wantsWrite = (dump.flags & qv::kFlagWritePassword) != 0;
        if (wantsRead != dump.readPassword.has_value() ||
            wantsWrite != dump.writePassword.has_value()) {
            return Refused(command.name, input +
                                             ": строки READ-PASSWORD и WRITE-PASSWORD нужны "
                                             "тогда и только тогда, когда FLAGS содержит 2 и 4");
        }
        if (wantsRead && !PreparePassword(crypto, *dump.readPassword, readPassword,
                                          parts.access.ReadCheck, problem)) {
            return Refused(command.name, input + ": READ-PASSWORD: " + problem);
        }
        std::string unusedPadded;
        if (wantsWrite && !PreparePassword(crypto, *dump.writePassword, unusedPadded,
                                           parts.access.WriteCheck, problem)) {
            return Refused(command.name, input + ": WRITE-PASSWORD: " + problem);
        }
        parts.readPassword = readPassword;

        qv::TTyreAdr tyres;
        for (const auto &bus : dump.buses) {
            tyres.Add(bus);
        }
        parts.tyres = &tyres;
        const std::string general = BlockText(dump.generalLines);
        std::vector<std::string> tests;
        for (const auto &lines : dump.testLines) {
            tests.push_back(BlockText(lines));
        }
        parts.generalText = general;
        parts.testTexts = tests;
        return WriteResult(command.name, *output,
                           qv::BuildContainer(parts, crypto, qv::NowDayCount()));
    } catch (const DumpError &e) {
        return Refused(command.name, input + ": " + e.what());
    } catch (const std::exception &) {
        const auto line = qv::FailureLogLine(std::current_exception());
        if (line && !line->empty()) {
            return Refused(command.name, *output + ": " + *line);
        }
        throw;
    }
}

} // namespace qortool
