// The oscillogram file (.sco): any bytes with their checksum made right,
// read as a load reads it, every record then taken by its name.

#include "fuzzsupport.h"
#include "model/io/scofile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    std::string bytes(fuzz::AsText(data, size));
    if (bytes.size() >= kScoMinSize) {
        const std::uint32_t sum = ScoChecksum(std::string_view(bytes).substr(0, bytes.size() - 4));
        for (int i = 0; i < 4; ++i)
            bytes[bytes.size() - 4 + i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
    }
    const auto path = fuzz::ScratchFile("INPUT.sco");
    fuzz::WriteScratch(path, bytes);
    SScoFile file;
    if (file.ReadScoFile(path.string()) != ScoReadError::None)
        return 0;
    std::vector<SScoRecord> records;
    if (ParseScoBytes(bytes, records) != ScoReadError::None)
        std::abort();
    // Every record with all three numbers is kept, and found by them.
    std::size_t keyed = 0;
    for (const auto &record : records) {
        const ScoRecordKey key = ParseScoRecordName(record.name);
        if (key.test == 0 || key.function == 0 || key.cycle == 0)
            continue;
        ++keyed;
        file.TakeReference(static_cast<int>(key.test), static_cast<int>(key.function),
                           static_cast<int>(key.cycle));
    }
    if (keyed != file.RecordCount())
        std::abort();
    // Written back, the records read the same.
    std::vector<SScoRecord> again;
    if (ParseScoBytes(BuildScoBytes(records), again) != ScoReadError::None ||
        again.size() != records.size())
        std::abort();
    return 0;
}
