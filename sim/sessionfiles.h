#pragma once

// The files of one session: those the host sent (kept until the session
// ends) and the transfers in progress in either direction.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sim {

using FileBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct IncomingFile
{
    std::string name; // Windows-1251 bytes as the host sent them
    std::uint32_t total = 0;
    std::uint32_t block = 0;
    std::uint32_t next = 0; // index of the block expected next
    std::uint32_t count = 0;
    std::vector<std::uint8_t> bytes;
};

struct OutgoingFile
{
    std::string name;
    std::uint32_t block = 0;
    std::uint32_t count = 0;
    FileBytes bytes;
};

struct SessionFiles
{
    std::map<std::string, FileBytes> stored;
    std::optional<IncomingFile> incoming;
    std::optional<OutgoingFile> outgoing;
    int blocksMoved = 0; // blocks of every transfer of the session, for the drop fault

    std::uint64_t StoredBytes() const
    {
        std::uint64_t total = 0;
        for (const auto &[name, bytes] : stored)
            total += bytes->size();
        return total;
    }
};

} // namespace qv::sim
