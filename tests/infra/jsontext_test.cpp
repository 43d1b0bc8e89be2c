#include "infra/jsontext.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// Both forms are read by tools outside the program, which compare bytes:
// each must stay exactly as it is.
TEST(JsonQuoted, ControlBytesTakeTheFormAskedAndEverythingElseStaysAsItIs)
{
    const std::string text = std::string("a\"b\\\n\r\t\x01\x1f", 9) + " Диагноз \x7f";
    EXPECT_EQ(JsonQuoted(text, JsonControls::Short),
              "\"a\\\"b\\\\\\n\\r\\t\\u0001\\u001f Диагноз \x7f\"");
    EXPECT_EQ(JsonQuoted(text, JsonControls::Unicode),
              "\"a\\\"b\\\\\\u000a\\u000d\\u0009\\u0001\\u001f Диагноз \x7f\"");
    EXPECT_EQ(JsonQuoted(std::string_view("\0", 1), JsonControls::Short), "\"\\u0000\"");
    EXPECT_EQ(JsonQuoted("", JsonControls::Unicode), "\"\"");
}

} // namespace
} // namespace qv
