#pragma once

// The text dumps of qortool: QORDUMP (a test file at the container level)
// and QORCNT (a contact file). Dumps are UTF-8. Bytes that would not show as
// plain text are escaped: 0x07 as \a, a backslash as \\, any other byte
// below 0x20 as \xHH; a '#' that begins a block line is written \x23 so it
// cannot be taken for a marker. Unescaping reverses this exactly.

#include "model/file/contactfile.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qortool {

// A dump that cannot be read: what() names the line and the problem.
class DumpError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws DumpError for a problem on a line of a dump (counted from 1).
[[noreturn]] void FailDumpLine(std::size_t lineNumber, const std::string &problem);

// Windows-1251 bytes to dump text and back. Unescape throws DumpError for a
// broken escape or a character without a Windows-1251 byte.
std::string EscapeBytes(std::string_view bytes, bool blockLine);
std::string UnescapeText(std::string_view text);

// A block's INI text (lines ended by CR LF) as lines, empty lines dropped,
// and back (CR LF after every line).
std::vector<std::string> BlockLines(std::string_view text);
std::string BlockText(const std::vector<std::string> &lines);

struct QorDump
{
    int flags = 0;
    std::optional<std::string> readPassword;  // UTF-8 as typed
    std::optional<std::string> writePassword; // likewise
    std::vector<std::string> buses;           // definition bytes, bit 0 first
    std::vector<std::string> generalLines;    // Windows-1251 bytes per line
    std::vector<std::vector<std::string>> testLines;
};

QorDump ParseQorDump(std::string_view text);
// QORDUMP 1, FLAGS, the BUS lines, #GENERAL and its lines, #TEST and the
// lines of each test; no password lines (a file does not keep passwords).
std::string FormatQorDump(const QorDump &dump);

struct CntDump
{
    std::optional<double> created;
    std::optional<double> modified;
    std::vector<qv::ContactFileContent::Record> records;
};

CntDump ParseCntDump(std::string_view text);
std::string FormatCntDump(const qv::ContactFileContent &content);

} // namespace qortool
