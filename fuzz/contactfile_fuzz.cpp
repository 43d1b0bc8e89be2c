// The contact file (.CNT): any bytes with their digest made right. What
// reads must be written back to bytes that read the same.

#include "fuzzsupport.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/io/bytesource.h"
#include "model/io/errors.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    const std::string bytes = fuzz::WithTrailingDigest(fuzz::AsText(data, size));
    CryptoProvider crypto;
    std::vector<char> buffer(kDigestChunkSize);
    ContactFileContent content;
    try {
        MemorySource source(bytes);
        content = ReadContactFile(source, crypto, buffer);
    } catch (const ReadFailure &) {
        return 0;
    } catch (const CodeError &) {
        return 0;
    }
    const std::string rebuilt = BuildContactFile(content, crypto);
    MemorySource again(rebuilt);
    const ContactFileContent reread = ReadContactFile(again, crypto, buffer);
    if (reread.records.size() != content.records.size())
        std::abort();
    for (std::size_t i = 0; i < content.records.size(); ++i) {
        if (reread.records[i].number != content.records[i].number ||
            reread.records[i].name != content.records[i].name)
            std::abort();
    }
    return 0;
}
