#include "infra/encoding.h"

#include <gtest/gtest.h>
#include <string>

namespace qv {
namespace {

std::string AllBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Cp1251, EveryByteSurvivesARoundTripThroughUtf8)
{
    const std::string bytes = AllBytes();
    const std::string text = Cp1251ToUtf8(bytes);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(Utf8ToCp1251(text), bytes);
}

TEST(Cp866, EveryByteSurvivesARoundTripThroughUtf8)
{
    const std::string bytes = AllBytes();
    const std::string text = Cp866ToUtf8(bytes);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(Utf8ToCp866(text), bytes);
}

// Long blocks are decoded a run of ASCII at a time: a high byte at any
// offset, between runs of any length, decodes as it does alone.
TEST(Cp1251, LongMixedTextDecodesByteForByteAsEachByteAlone)
{
    const std::string high = "\xC1\xFF\x80\xB9\x98";
    std::string bytes;
    std::string expected;
    for (int run = 0; run < 40; ++run) {
        for (int i = 0; i < run; ++i)
            bytes.push_back(static_cast<char>('a' + (run + i) % 26));
        bytes += high.substr(static_cast<std::size_t>(run) % high.size(), 1 + run % 3);
    }
    for (const char byte : bytes)
        expected += Cp1251ToUtf8(std::string(1, byte));
    EXPECT_EQ(Cp1251ToUtf8(bytes), expected);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(bytes)), bytes);
    const std::string ascii(1000, 'q');
    EXPECT_EQ(Cp1251ToUtf8(ascii), ascii);
    EXPECT_EQ(Cp1251ToUtf8(""), "");
}

TEST(Cp1251, DecodesCyrillicAndPunctuationToTheirCharacters)
{
    EXPECT_EQ(Cp1251ToUtf8("\xC1\xEB\xEE\xEA"), "Блок");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8"), "Ёё");
    EXPECT_EQ(Cp1251ToUtf8("\xB9"), "№");
    EXPECT_EQ(Cp1251ToUtf8("\x96\x97"), "–—");
    EXPECT_EQ(Utf8ToCp1251("Тест №1"), "\xD2\xE5\xF1\xF2 \xB9"
                                       "1");
}

TEST(Cp866, DecodesTheDosCyrillicLayout)
{
    EXPECT_EQ(Cp866ToUtf8("\x8F\xE0\xA8\xA2\xA5\xE2"), "Привет");
    EXPECT_EQ(Cp866ToUtf8("\xF0\xF1"), "Ёё");
}

TEST(Cp1251, RefusesCharactersWithoutAByteInsteadOfSubstituting)
{
    EXPECT_THROW(Utf8ToCp1251("Ω"), EncodingError);
    EXPECT_THROW(Utf8ToCp1251("漢"), EncodingError);
    EXPECT_FALSE(TryUtf8ToCp1251("emoji 😀").has_value());
    try {
        Utf8ToCp1251("ab漢");
        FAIL() << "no error";
    } catch (const EncodingError &e) {
        EXPECT_NE(std::string(e.what()).find("U+6F22"), std::string::npos) << e.what();
    }
}

TEST(Utf8, MalformedSequencesAreRejected)
{
    EXPECT_FALSE(IsValidUtf8("\xC3"));         // truncated
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xFF"));
    EXPECT_FALSE(IsValidUtf8("a\xE2\x82")); // truncated at the end
    EXPECT_TRUE(IsValidUtf8("Ёж €"));
    EXPECT_THROW(Utf8ToCp1251("\xC3"), EncodingError);
}

TEST(Utf8, LengthCountsCharactersNotBytes)
{
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("abc"), 3u);
    EXPECT_EQ(Utf8Length("Зонд"), 4u);
}

} // namespace
} // namespace qv
