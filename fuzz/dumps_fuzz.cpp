// The text dumps qortool packs (pack, cnt-pack, sco-pack, dat-pack). The
// first byte chooses the reader; a dump that reads is formatted again and
// must read back to the same.

#include "bytedump.h"
#include "dumpformat.h"
#include "fuzzsupport.h"

#include <cstdlib>

namespace {

using namespace qortool;

void QorDumpRoundTrip(std::string_view text)
{
    const QorDump dump = ParseQorDump(text);
    const QorDump again = ParseQorDump(FormatQorDump(dump));
    if (again.buses != dump.buses || again.generalLines != dump.generalLines ||
        again.testLines != dump.testLines || again.flags != dump.flags)
        std::abort();
}

void CntDumpRoundTrip(std::string_view text)
{
    const CntDump dump = ParseCntDump(text);
    qv::ContactFileContent content;
    content.created = dump.created.value_or(0);
    content.modified = dump.modified.value_or(0);
    content.records = dump.records;
    const CntDump again = ParseCntDump(FormatCntDump(content));
    if (again.records.size() != dump.records.size())
        std::abort();
}

void ScoDumpRoundTrip(std::string_view text)
{
    const auto records = ParseScoDump(text);
    const auto again = ParseScoDump(FormatScoDump(records));
    if (again.size() != records.size())
        std::abort();
}

void DatDumpRoundTrip(std::string_view text)
{
    const std::string bytes = ParseDatDump(text);
    if (ParseDatDump(FormatDatDump(bytes)) != bytes)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text = qv::fuzz::AsText(data + 1, size - 1);
    try {
        switch (data[0] % 4) {
        case 0:
            QorDumpRoundTrip(text);
            break;
        case 1:
            CntDumpRoundTrip(text);
            break;
        case 2:
            ScoDumpRoundTrip(text);
            break;
        default:
            DatDumpRoundTrip(text);
            break;
        }
    } catch (const DumpError &) {
    }
    return 0;
}
