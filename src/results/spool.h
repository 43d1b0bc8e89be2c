#pragma once

// Spool: the runs that wait for the results database, one file per run in
// a folder of their own. A file is written whole under a temporary name and
// renamed into place, so a bench killed mid-write leaves either the whole
// record or none; temporary files left by such a kill are removed when the
// spool is opened. Files are named by the time they were spooled, so the
// oldest is written first when the database answers again.

#include "results/runrecord.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qv::results {

class Spool
{
public:
    explicit Spool(std::filesystem::path folder);

    const std::filesystem::path &Folder() const { return m_folder; }
    // False with *problem when the file could not be written.
    bool Put(const RunRecord &record, std::string *problem);
    // The waiting records' files, oldest first.
    std::vector<std::filesystem::path> Waiting() const;
    std::size_t Count() const { return Waiting().size(); }
    // The record of a file; nullopt for a file that is not one (it is then
    // set aside with the extension ".bad", so that it never blocks the rest).
    std::optional<RunRecord> Read(const std::filesystem::path &file) const;
    void Remove(const std::filesystem::path &file) const;

private:
    std::filesystem::path m_folder;
};

// The spool of one database: a folder in `root` named after the database,
// so that records meant for one database never land in another.
std::filesystem::path SpoolFolderFor(const std::filesystem::path &root, const std::string &url);

} // namespace qv::results
