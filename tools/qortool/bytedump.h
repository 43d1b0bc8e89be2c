#pragma once

// Text forms of the binary companions of a test file: the oscillogram file
// (QORSCO) and the data files of the functions (QORDAT). Bytes are written
// as two hexadecimal digits, a run of equal bytes as "XX*count"; tokens are
// separated by spaces or line ends, and a line starting with '#' is a
// comment.
//
//   QORSCO 1
//   RECORD T1_v1_ц1 PARAMS 6 2 2 0 4
//   80*250 C0*250 80*250 C0*250
//
//   QORDAT 1
//   00 01 02 03 FF*12

#include "model/io/scofile.h"

#include <string>
#include <string_view>
#include <vector>

namespace qortool {

// The bytes of a QORDAT text; DumpError for a broken token or header.
std::string ParseDatDump(std::string_view text);
std::string FormatDatDump(std::string_view bytes);

// The records of a QORSCO text; DumpError for a broken line, a name that
// has no Windows-1251 form or a record whose samples are not exactly 1000.
std::vector<qv::SScoRecord> ParseScoDump(std::string_view text);
std::string FormatScoDump(const std::vector<qv::SScoRecord> &records);

} // namespace qortool
