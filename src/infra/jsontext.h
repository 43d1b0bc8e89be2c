#pragma once

// JSON string literals for the reports the program writes. Bytes are taken
// as they are (the texts are UTF-8 already); quotes, backslashes and
// control bytes are escaped.

#include <string>
#include <string_view>

namespace qv {

// How control bytes (below 0x20) are written. The run report uses the short
// forms for line feed, carriage return and tab; the diagnosis writes every
// control byte as \u00XX. Readers of either rely on the bytes as they are.
enum class JsonControls {
    Short,   // \n, \r, \t; the others as \u00xx
    Unicode, // all as \u00xx
};

// The text as a JSON string literal, quotes included.
std::string JsonQuoted(std::string_view text, JsonControls controls);

} // namespace qv
