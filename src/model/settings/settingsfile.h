#pragma once

// The settings files on disk: INI text in Windows-1251 with CR LF line ends,
// UTF-8 in memory. Writing goes through FileStore::Replace, so a failed
// write leaves the previous file as it was.

#include "model/ini/inistore.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

class FileStore;

// An existing settings file that cannot be read; what() is for the operator.
class SettingsFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// nullopt when the file does not exist; throws SettingsFileError when it
// exists but cannot be read.
std::optional<IniStore> ReadIniFile(const std::string &path);

// The bytes written for a store. An entry whose key or value has no
// Windows-1251 form (a recent file with, say, a Chinese name) is left out
// rather than failing the whole file; its key is added to `dropped`.
std::string IniFileBytes(const IniStore &store, std::vector<std::string> *dropped = nullptr);

// Replaces the file; throws WriteFailure (the old file stays) when the
// bytes cannot be written. Returns the keys left out (see IniFileBytes).
std::vector<std::string> WriteIniFile(const std::string &path, const IniStore &store,
                                      FileStore &files);

} // namespace qv
