#include "model/settings/settingsfile.h"

#include "infra/encoding.h"
#include "infra/safefile.h"
#include "model/io/filestore.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qv {

std::optional<IniStore> ReadIniFile(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return std::nullopt;
    // A pipe or a device in its place is refused, never waited on.
    std::string problem;
    const auto bytes = ReadInputFile(path, kTextFileLimit, &problem);
    if (!bytes)
        throw SettingsFileError("Не удалось прочитать файл настроек " + path + ": " + problem);
    IniStore store;
    store.FromText(Cp1251ToUtf8(*bytes));
    return store;
}

std::string IniFileBytes(const IniStore &store, std::vector<std::string> *dropped)
{
    std::string bytes;
    for (const auto &section : store.Sections()) {
        const auto name = TryUtf8ToCp1251(section.name);
        if (!name) {
            if (dropped)
                dropped->push_back("[" + section.name + "]");
            continue;
        }
        bytes += '[';
        bytes += *name;
        bytes += "]\r\n";
        for (const auto &entry : section.entries) {
            if (entry.key.empty() && entry.value.empty())
                continue;
            const auto key = TryUtf8ToCp1251(entry.key);
            const auto value = TryUtf8ToCp1251(entry.value);
            if (!key || !value) {
                if (dropped)
                    dropped->push_back(entry.key);
                continue;
            }
            bytes += *key;
            bytes += '=';
            bytes += *value;
            bytes += "\r\n";
        }
    }
    return bytes;
}

std::vector<std::string> WriteIniFile(const std::string &path, const IniStore &store,
                                      FileStore &files)
{
    std::vector<std::string> dropped;
    files.Replace(path, IniFileBytes(store, &dropped));
    return dropped;
}

} // namespace qv
