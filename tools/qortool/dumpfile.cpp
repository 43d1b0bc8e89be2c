#include "dumpfile.h"

#include "infra/daycount.h"
#include "infra/encoding.h"
#include "model/io/filestore.h"

#include <vector>

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

std::optional<std::string> MatchingPassword(const std::string &typed, const qv::Bytes32 &expected)
{
    qv::CryptoProvider crypto;
    std::string padded;
    qv::Bytes32 check{};
    const auto bytes = qv::TryUtf8ToCp1251(typed);
    if (!bytes || !qv::PasswordCheck(crypto, *bytes, padded, check) || check != expected)
        return std::nullopt;
    return padded;
}

FileDump DumpOfFile(const std::string &path, const qv::ReadPasswordSource &password)
{
    qv::CryptoProvider crypto;
    std::vector<char> buffer(qv::kDigestChunkSize);
    const auto source = qv::FileSource::OpenLocked(path);
    const qv::ContainerContent content = qv::ReadContainer(*source, crypto, buffer, password);
    FileDump result;
    result.access = content.access;
    result.dump.flags = content.access.Flags;
    result.dump.buses = content.tyres.Definitions();
    result.dump.generalLines = BlockLines(content.generalText);
    for (const auto &text : content.testTexts)
        result.dump.testLines.push_back(BlockLines(text));
    return result;
}

std::optional<std::string> ContainerOfDump(const QorDump &dump, std::string *problem)
{
    qv::CryptoProvider crypto;
    qv::ContainerParts parts;
    parts.access.Flags = static_cast<std::uint8_t>(dump.flags);
    const bool wantsRead = (dump.flags & qv::kFlagReadPassword) != 0;
    const bool wantsWrite = (dump.flags & qv::kFlagWritePassword) != 0;
    if (wantsRead != dump.readPassword.has_value() ||
        wantsWrite != dump.writePassword.has_value()) {
        *problem = "строки READ-PASSWORD и WRITE-PASSWORD нужны тогда и только тогда, когда "
                   "FLAGS содержит 2 и 4";
        return std::nullopt;
    }
    std::string readPassword;
    if (wantsRead && !PreparePassword(crypto, *dump.readPassword, readPassword,
                                      parts.access.ReadCheck, *problem)) {
        *problem = "READ-PASSWORD: " + *problem;
        return std::nullopt;
    }
    std::string unusedPadded;
    if (wantsWrite && !PreparePassword(crypto, *dump.writePassword, unusedPadded,
                                       parts.access.WriteCheck, *problem)) {
        *problem = "WRITE-PASSWORD: " + *problem;
        return std::nullopt;
    }
    parts.readPassword = readPassword;
    qv::TTyreAdr tyres;
    for (const auto &bus : dump.buses)
        tyres.Add(bus);
    parts.tyres = &tyres;
    const std::string general = BlockText(dump.generalLines);
    std::vector<std::string> tests;
    for (const auto &lines : dump.testLines)
        tests.push_back(BlockText(lines));
    parts.generalText = general;
    parts.testTexts = tests;
    return qv::BuildContainer(parts, crypto, qv::NowDayCount());
}

} // namespace qortool
