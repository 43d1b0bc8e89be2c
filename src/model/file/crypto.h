#pragma once

// The crypto provider of the test-file container, over OpenSSL libcrypto:
//   Digest      SHA-256, fed in chunks marked first/next/last/only;
//   CheckValue  PBKDF2-HMAC-SHA256 of 32 bytes with the system's fixed salt
//               and kCheckIterations iterations (slow on purpose: a stored
//               password check must not be cheap to guess offline);
//   Encipher/Decipher  AES-256 in CFB-128 mode, length-preserving, with the
//               32-byte block key and a 16-byte initialisation vector.
// Every operation reports a failure of the library as false; the container
// turns that into its error code 6. docs/file-format.md fixes every constant.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace qv {

using Bytes32 = std::array<std::uint8_t, 32>;
using Bytes16 = std::array<std::uint8_t, 16>;

enum class ChunkMark { First, Next, Last, Only };

inline constexpr int kCheckIterations = 100000;
inline constexpr std::string_view kCheckSalt = "Quorvik.TestFile.PasswordCheck.v1";
// The initialisation vectors of the general block and of every test block.
inline constexpr Bytes16 kGeneralBlockIv{0x51, 0x76, 0x47, 0x65, 0x6E, 0x65, 0x72, 0x61,
                                         0x6C, 0x42, 0x6C, 0x6F, 0x63, 0x6B, 0x49, 0x56};
inline constexpr Bytes16 kTestBlockIv{0x51, 0x76, 0x54, 0x65, 0x73, 0x74, 0x42, 0x6C,
                                      0x6F, 0x63, 0x6B, 0x49, 0x56, 0x2D, 0x30, 0x31};

class CryptoProvider
{
public:
    CryptoProvider();
    ~CryptoProvider();
    CryptoProvider(const CryptoProvider &) = delete;
    CryptoProvider &operator=(const CryptoProvider &) = delete;

    // Feeds one chunk of a digest. A chunk marked Last or Only completes it
    // and stores the hash in *out (which must then be given).
    bool Digest(std::span<const char> chunk, ChunkMark mark, Bytes32 *out);
    bool CheckValue(std::span<const std::uint8_t, 32> input, Bytes32 &out);
    // In place, output length = input length.
    bool Encipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv);
    bool Decipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv);

    // Bytes from the library's cryptographically secure generator.
    static bool RandomBytes(std::span<std::uint8_t> out);

private:
    bool Cipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv, bool encipher);

    struct Contexts;
    std::unique_ptr<Contexts> m_contexts;
};

// The chunk marks of a sequence of `total` bytes cut into chunks of
// `chunkSize`: the mark of the chunk that starts at `offset`.
ChunkMark MarkOfChunk(std::uint64_t offset, std::uint64_t total, std::uint64_t chunkSize);

} // namespace qv
