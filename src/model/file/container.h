#pragma once

// The byte layout of the test file and of the pieces the contact file shares
// with it: magic, digest, trailer, and the enciphered text blocks. No model
// here: TTestFile and qortool build on these steps.
//
// Test file: magic (16) | bus count (1) | buses | general block | test
// blocks | Flags (1) | ReadCheck (32, flag 2) | WriteCheck (32, flag 4) |
// T (u32) | low 4 bytes of the save moment | SHA-256 of all before (32).
// Block: key material (32, plain) | L (u16) | L bytes of enciphered text.

#include "model/file/crypto.h"
#include "model/words/tyreadr.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ByteSource;

inline constexpr std::string_view kTestFileMagic{"\xA9"
                                                 "Diagnostic file",
                                                 16};
inline constexpr std::string_view kContactFileMagic{"\xA9"
                                                    "Contact file",
                                                    13};
inline constexpr std::size_t kDigestChunkSize = 10240;
inline constexpr std::size_t kDigestSize = 32;
inline constexpr std::size_t kMaxBlockText = 65535;
inline constexpr std::size_t kBlockHeadSize = 32 + 2;
inline constexpr int kMaxPasswordLength = 32;

// Bits of Flags.
inline constexpr std::uint8_t kFlagReadPassword = 2;
inline constexpr std::uint8_t kFlagWritePassword = 4;

// What stands after the blocks: from T to the end of the file.
struct Trailer
{
    std::uint8_t Flags = 0;
    Bytes32 ReadCheck{};  // present when Flags has kFlagReadPassword
    Bytes32 WriteCheck{}; // present when Flags has kFlagWritePassword
    std::uint32_t T = 0;  // offset of Flags
};

// The password brought to 32 bytes: shorter ones are followed by 0x07 and
// then by their own bytes repeated from the first; 32 bytes stay as they
// are; an empty password gives 32 bytes 0x07. Bytes in the file's code page;
// a longer password is cut to 32 bytes.
std::string PadPassword(std::string_view password);
// The check value of a password (padded first); false when the provider failed.
bool PasswordCheck(CryptoProvider &crypto, std::string_view password, std::string &padded,
                   Bytes32 &check);

// The digest of bytes 0..end-1 of the source, read in kDigestChunkSize
// chunks through `buffer` (at least that large); the position is restored.
// False when the provider failed; ReadFailure when the source fails.
bool DigestOfSource(ByteSource &source, std::uint64_t end, CryptoProvider &crypto,
                    std::span<char> buffer, Bytes32 &out);
// The same over bytes in memory.
bool DigestOfBytes(std::string_view bytes, CryptoProvider &crypto, Bytes32 &out);

// Checks that the last 32 bytes of the source are the digest of all bytes
// before them (CodeError 3 when not; the file holds at least 32 bytes).
void CheckTrailingDigest(ByteSource &source, CryptoProvider &crypto, std::span<char> digestBuffer);

// Checks the magic (CodeError 1), the size (ReadFailure when the file cannot
// hold the magic, the bus count, the trailer and the digest) and the digest
// (CodeError 3), then reads the trailer (ReadFailure when T points outside
// the file or the trailer does not fit before the last 40 bytes).
Trailer ReadEnvelope(ByteSource &source, CryptoProvider &crypto, std::span<char> digestBuffer);

// BlockKey from the stored key material: byte-wise sum with the padded read
// password when the file has one.
Bytes32 BlockKeyOf(const Bytes32 &material, std::uint8_t flags, std::string_view readPassword);

// Reads the block at the source's position (reads stop at the source's
// limit) and returns its deciphered text. CodeError 6 when the provider fails.
std::string ReadBlock(ByteSource &source, const Bytes16 &iv, std::uint8_t flags,
                      std::string_view readPassword, CryptoProvider &crypto);

// Appends a block with new key material from the secure generator. The text
// must not exceed kMaxBlockText (BlockTooLong otherwise); CodeError 6 when
// the provider fails.
void AppendBlock(std::string &image, std::string_view text, const Bytes16 &iv, std::uint8_t flags,
                 std::string_view readPassword, CryptoProvider &crypto);

// A whole test file image: magic, buses, the general block, the test blocks
// in order, the trailer (T = where it starts) and the digest. BlockTooLong
// names the block (-1 = general) whose text is too long.
struct ContainerParts
{
    const TTyreAdr *tyres = nullptr;
    std::string_view generalText;           // Windows-1251 INI text
    std::span<const std::string> testTexts; // likewise, one per test block
    Trailer access;                         // Flags and check values (T is computed)
    std::string_view readPassword;          // padded; used when Flags has kFlagReadPassword
};
std::string BuildContainer(const ContainerParts &parts, CryptoProvider &crypto, double moment);
// The same into `image`, whose capacity is reused (a save of a large file
// then touches no fresh memory).
void BuildContainer(const ContainerParts &parts, CryptoProvider &crypto, double moment,
                    std::string &image);

// A whole container as read: the blocks are all those between the buses
// and the trailer. `password` gives the padded read password for a file
// with flag 2 (nullopt = cancelled: CodeError 254).
struct ContainerContent
{
    Trailer access;
    std::string readPassword; // padded, when the file has one
    TTyreAdr tyres;
    std::string generalText;
    std::vector<std::string> testTexts;
};
using ReadPasswordSource = std::function<std::optional<std::string>(const Trailer &)>;
ContainerContent ReadContainer(ByteSource &source, CryptoProvider &crypto,
                               std::span<char> digestBuffer, const ReadPasswordSource &password);

// Appends Flags, the check values the flags call for, T = the image size
// before this call, and the low four bytes of `moment` as a day count.
void AppendTrailer(std::string &image, const Trailer &trailer, double moment);
// Appends the digest of the whole image (CodeError 6 when the provider fails).
void AppendDigest(std::string &image, CryptoProvider &crypto);

} // namespace qv
