#include "infra/jsontext.h"

#include <cstdio>

namespace qv {
namespace {

// The short escape of a control byte, or 0 when it has none.
char ShortEscape(char ch)
{
    switch (ch) {
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '\t':
        return 't';
    default:
        return 0;
    }
}

} // namespace

std::string JsonQuoted(std::string_view text, JsonControls controls)
{
    std::string json = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
        } else if (byte >= 0x20) {
            json += ch;
        } else if (const char escape = ShortEscape(ch);
                   escape != 0 && controls == JsonControls::Short) {
            json += '\\';
            json += escape;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        }
    }
    return json + "\"";
}

} // namespace qv
