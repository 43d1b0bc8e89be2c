#include "infra/encoding.h"
#include "model/file/container.h"
#include "model/file/crypto.h"
#include "model/io/bytesource.h"
#include "support/model/testfiles.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <openssl/evp.h>

namespace qv {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Hex(std::span<const std::uint8_t> bytes)
{
    static const char *digits = "0123456789abcdef";
    std::string hex;
    for (const auto byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string Hex(std::string_view bytes)
{
    return Hex(std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

// Output of a shell command, or nullopt when it fails.
std::optional<std::string> RunCommand(const std::string &command)
{
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    return ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

bool HaveOpenSslTool()
{
    return std::system("openssl version >/dev/null 2>&1") == 0;
}

Bytes32 DigestInChunks(CryptoProvider &crypto, std::string_view bytes)
{
    Bytes32 out{};
    EXPECT_TRUE(DigestOfBytes(bytes, crypto, out));
    return out;
}

Bytes32 OneShotSha256(std::string_view bytes)
{
    Bytes32 out{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), out.data(), &length, EVP_sha256(), nullptr);
    return out;
}

TEST(CryptoProvider, DigestIsSha256WhateverTheChunking)
{
    CryptoProvider crypto;
    EXPECT_EQ(Hex(DigestInChunks(crypto, "abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kDigestChunkSize - 1, kDigestChunkSize,
          kDigestChunkSize + 1, 3 * kDigestChunkSize, 3 * kDigestChunkSize + 17}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>(i * 7 + 3);
        }
        EXPECT_EQ(DigestInChunks(crypto, bytes), OneShotSha256(bytes)) << size;
        MemorySource source(bytes);
        std::vector<char> buffer(kDigestChunkSize);
        Bytes32 fromSource{};
        if (size > 0) {
            source.Seek(size / 2);
            ASSERT_TRUE(DigestOfSource(source, size, crypto, buffer, fromSource));
            EXPECT_EQ(fromSource, OneShotSha256(bytes)) << size;
            EXPECT_EQ(source.Position(), size / 2) << "the position is restored";
        }
    }
}

TEST(CryptoProvider, ChunksAreMarkedFirstNextLastOrOnly)
{
    constexpr std::uint64_t c = kDigestChunkSize;
    EXPECT_EQ(MarkOfChunk(0, c, c), ChunkMark::Only);
    EXPECT_EQ(MarkOfChunk(0, 10, c), ChunkMark::Only);
    EXPECT_EQ(MarkOfChunk(0, 2 * c, c), ChunkMark::First);
    EXPECT_EQ(MarkOfChunk(c, 2 * c, c), ChunkMark::Last);
    EXPECT_EQ(MarkOfChunk(c, 2 * c + 1, c), ChunkMark::Next);
    EXPECT_EQ(MarkOfChunk(2 * c, 2 * c + 1, c), ChunkMark::Last);
}

TEST(CryptoProvider, CipherIsLengthPreservingAndReversible)
{
    CryptoProvider crypto;
    Bytes32 key{};
    key[0] = 1;
    for (const std::size_t size : {0, 1, 15, 16, 17, 65535}) {
        std::string text(size, 'q');
        std::string copy = text;
        ASSERT_TRUE(crypto.Encipher(copy, key, kTestBlockIv));
        EXPECT_EQ(copy.size(), size);
        if (size > 0) {
            EXPECT_NE(copy, text);
        }
        ASSERT_TRUE(crypto.Decipher(copy, key, kTestBlockIv));
        EXPECT_EQ(copy, text);
    }
}

TEST(CryptoProvider, TheInitialisationVectorsAreDistinctDocumentedTexts)
{
    EXPECT_EQ(std::string(kGeneralBlockIv.begin(), kGeneralBlockIv.end()), "QvGeneralBlockIV");
    EXPECT_EQ(std::string(kTestBlockIv.begin(), kTestBlockIv.end()), "QvTestBlockIV-01");
}

TEST(PasswordPadding, ShortPasswordsAreFollowedBy07AndRepeated)
{
    EXPECT_EQ(PadPassword("abc"), std::string("abc\x07") + "abcabcabcabcabcabcabcabcabca");
    EXPECT_EQ(PadPassword(""), std::string(32, '\x07'));
    const std::string full(32, 'z');
    EXPECT_EQ(PadPassword(full), full);
    const std::string almost(31, 'y');
    EXPECT_EQ(PadPassword(almost), almost + '\x07');
    EXPECT_EQ(PadPassword(std::string(40, 'w')), std::string(32, 'w'));
    for (const auto *p : {"", "a", "abc", "пароль"}) {
        EXPECT_EQ(PadPassword(p).size(), 32u) << p;
    }
}

TEST(CryptoCrossCheck, CheckValueIsPbkdf2AsTheOpenSslToolComputesIt)
{
    if (!HaveOpenSslTool()) {
        GTEST_SKIP() << "no openssl command-line tool";
    }
    CryptoProvider crypto;
    std::string padded;
    Bytes32 check{};
    ASSERT_TRUE(PasswordCheck(crypto, "secret", padded, check));
    const auto out =
        RunCommand("openssl kdf -keylen 32 -kdfopt digest:SHA256 -kdfopt hexpass:" + Hex(padded) +
                   " -kdfopt hexsalt:" + Hex(kCheckSalt) +
                   " -kdfopt iter:" + std::to_string(kCheckIterations) + " PBKDF2");
    ASSERT_TRUE(out.has_value());
    std::string expected;
    for (const char ch : *out) {
        if (std::isxdigit(static_cast<unsigned char>(ch))) {
            expected += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
    }
    EXPECT_EQ(Hex(check), expected);
}

// Takes the first test block of a saved file apart by its documented layout
// and lets the openssl tool decipher it.
TEST(CryptoCrossCheck, OpenSslToolDeciphersAPasswordProtectedTestBlock)
{
    if (!HaveOpenSslTool()) {
        GTEST_SKIP() << "no openssl command-line tool";
    }
    TempDir dir;
    testing::ContainerPlan plan;
    plan.buses = {std::string("\x05\x06", 2)};
    plan.general = testing::GeneralText(1);
    plan.tests = {testing::TestText("Проверка шины", 3, 2)};
    plan.flags = kFlagReadPassword;
    plan.readPassword = "ключ";
    const std::string image = testing::MakeContainer(plan);

    // magic 16, bus count 1, one bus of length 2, then the general block.
    std::size_t at = 16 + 1 + 1 + 2;
    const auto blockLength = [&](std::size_t block) {
        return static_cast<std::size_t>(static_cast<std::uint8_t>(image[block + 32]) |
                                        (static_cast<std::uint8_t>(image[block + 33]) << 8));
    };
    at += 34 + blockLength(at);
    const std::string material = image.substr(at, 32);
    const std::string ciphertext = image.substr(at + 34, blockLength(at));
    const std::string padded = PadPassword(Utf8ToCp1251("ключ"));
    std::string key(32, '\0');
    for (std::size_t i = 0; i < 32; ++i) {
        key[i] = static_cast<char>(static_cast<std::uint8_t>(material[i]) +
                                   static_cast<std::uint8_t>(padded[i]));
    }
    WriteBytes(dir.File("block.bin"), ciphertext);
    const auto plain = RunCommand("openssl enc -d -aes-256-cfb -nopad -K " + Hex(key) + " -iv " +
                                  Hex(std::span<const std::uint8_t>(kTestBlockIv)) + " -in " +
                                  dir.File("block.bin"));
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(*plain, plan.tests[0]);
}

TEST(CryptoCrossCheck, OpenSslToolEnciphersTheSameBytesAsTheProvider)
{
    if (!HaveOpenSslTool()) {
        GTEST_SKIP() << "no openssl command-line tool";
    }
    TempDir dir;
    const std::string text = "[]\r\nSYS=16\r\nNTEST=0\r\n" + std::string(1000, 'x');
    WriteBytes(dir.File("plain.bin"), text);
    Bytes32 key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(i * 11 + 5);
    }
    CryptoProvider crypto;
    std::string ours = text;
    ASSERT_TRUE(crypto.Encipher(ours, key, kGeneralBlockIv));
    const auto theirs = RunCommand("openssl enc -e -aes-256-cfb -nopad -K " + Hex(key) + " -iv " +
                                   Hex(std::span<const std::uint8_t>(kGeneralBlockIv)) + " -in " +
                                   dir.File("plain.bin"));
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(*theirs, ours);
}

TEST(CryptoProvider, RandomKeyMaterialDiffersBetweenBlocksWrittenAtOnce)
{
    // Two saves in the same second must not share key material.
    testing::ContainerPlan plan;
    plan.tests = {testing::TestText("a"), testing::TestText("a")};
    plan.general = testing::GeneralText(2);
    const std::string first = testing::MakeContainer(plan);
    const std::string second = testing::MakeContainer(plan);
    const std::size_t general = 16 + 1 + 1 + 3;
    EXPECT_NE(first.substr(general, 32), second.substr(general, 32));
    const std::size_t length = static_cast<std::uint8_t>(first[general + 32]) |
                               (static_cast<std::uint8_t>(first[general + 33]) << 8);
    const std::size_t test1 = general + 34 + length;
    const std::size_t test2 = test1 + 34 +
                              (static_cast<std::uint8_t>(first[test1 + 32]) |
                               (static_cast<std::uint8_t>(first[test1 + 33]) << 8));
    EXPECT_NE(first.substr(test1, 32), first.substr(test2, 32));
    EXPECT_NE(first.substr(test1 + 34, 10), first.substr(test2 + 34, 10))
        << "equal texts in two test blocks encipher differently";
}

} // namespace
} // namespace qv
