#include "model/file/container.h"

#include "model/io/bytesource.h"
#include "model/io/errors.h"
#include "model/words/tyreadr.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qv {
namespace {

// Magic, bus count, Flags, T, save moment, digest.
constexpr std::uint64_t kMinTestFileSize = kTestFileMagic.size() + 1 + 1 + 4 + 4 + kDigestSize;
// T and the save moment stand between the trailer and the digest.
constexpr std::uint64_t kTrailerTail = 4 + 4 + kDigestSize;

Bytes32 ToBytes32(std::string_view bytes)
{
    Bytes32 out{};
    std::memcpy(out.data(), bytes.data(), out.size());
    return out;
}

void Require(bool ok)
{
    if (!ok) {
        throw CodeError(CodeError::CryptoFailed);
    }
}

} // namespace

std::string PadPassword(std::string_view password)
{
    // The password, a 0x07, then the password again as often as it fits;
    // all 0x07 for none. Filled in place: the string is made at its full
    // size once.
    constexpr std::size_t size = kMaxPasswordLength;
    password = password.substr(0, size);
    std::string padded(size, '\x07');
    password.copy(padded.data(), password.size());
    if (!password.empty()) {
        for (std::size_t i = password.size() + 1; i < size; ++i)
            padded[i] = password[(i - password.size() - 1) % password.size()];
    }
    return padded;
}

bool PasswordCheck(CryptoProvider &crypto, std::string_view password, std::string &padded,
                   Bytes32 &check)
{
    padded = PadPassword(password);
    Bytes32 input = ToBytes32(padded);
    return crypto.CheckValue(input, check);
}

bool DigestOfSource(ByteSource &source, std::uint64_t end, CryptoProvider &crypto,
                    std::span<char> buffer, Bytes32 &out)
{
    const std::uint64_t saved = source.Position();
    source.Seek(0);
    bool ok = true;
    std::uint64_t offset = 0;
    do {
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(kDigestChunkSize, end - offset));
        const auto chunk = buffer.first(size);
        source.Read(chunk);
        ok = crypto.Digest(chunk, MarkOfChunk(offset, end, kDigestChunkSize), &out);
        offset += size;
    } while (ok && offset < end);
    source.Seek(saved);
    return ok;
}

bool DigestOfBytes(std::string_view bytes, CryptoProvider &crypto, Bytes32 &out)
{
    bool ok = true;
    std::uint64_t offset = 0;
    do {
        const auto chunk = bytes.substr(offset, kDigestChunkSize);
        ok = crypto.Digest(chunk, MarkOfChunk(offset, bytes.size(), kDigestChunkSize), &out);
        offset += chunk.size();
    } while (ok && offset < bytes.size());
    return ok;
}

void CheckTrailingDigest(ByteSource &source, CryptoProvider &crypto, std::span<char> digestBuffer)
{
    const std::uint64_t digestAt = source.Size() - kDigestSize;
    Bytes32 computed{};
    Require(DigestOfSource(source, digestAt, crypto, digestBuffer, computed));
    source.Seek(digestAt);
    if (ToBytes32(source.ReadBytes(kDigestSize)) != computed) {
        throw CodeError(CodeError::DigestMismatch);
    }
}

Trailer ReadEnvelope(ByteSource &source, CryptoProvider &crypto, std::span<char> digestBuffer)
{
    source.Seek(0);
    if (source.ReadBytes(kTestFileMagic.size()) != kTestFileMagic) {
        throw CodeError(CodeError::BadMagic);
    }
    const std::uint64_t size = source.Size();
    if (size < kMinTestFileSize) {
        throw ReadFailure();
    }
    CheckTrailingDigest(source, crypto, digestBuffer);

    Trailer trailer;
    const std::uint64_t trailerEnd = size - kTrailerTail;
    source.Seek(trailerEnd);
    trailer.T = source.ReadU32();
    // The trailer follows at least the magic and the bus count.
    if (trailer.T < kTestFileMagic.size() + 1 || trailer.T >= trailerEnd) {
        throw ReadFailure();
    }
    source.Seek(trailer.T);
    source.SetLimit(trailerEnd);
    trailer.Flags = source.ReadByte();
    if (trailer.Flags & kFlagReadPassword) {
        trailer.ReadCheck = ToBytes32(source.ReadBytes(32));
    }
    if (trailer.Flags & kFlagWritePassword) {
        trailer.WriteCheck = ToBytes32(source.ReadBytes(32));
    }
    source.SetLimit(ByteSource::NoLimit);
    return trailer;
}

Bytes32 BlockKeyOf(const Bytes32 &material, std::uint8_t flags, std::string_view readPassword)
{
    Bytes32 key = material;
    if ((flags & kFlagReadPassword) && readPassword.size() >= key.size()) {
        for (std::size_t i = 0; i < key.size(); ++i) {
            key[i] = static_cast<std::uint8_t>(key[i] + static_cast<std::uint8_t>(readPassword[i]));
        }
    }
    return key;
}

std::string ReadBlock(ByteSource &source, const Bytes16 &iv, std::uint8_t flags,
                      std::string_view readPassword, CryptoProvider &crypto)
{
    const Bytes32 material = ToBytes32(source.ReadBytes(32));
    const std::size_t length = source.ReadU16();
    std::string text = source.ReadBytes(length);
    Require(crypto.Decipher(text, BlockKeyOf(material, flags, readPassword), iv));
    return text;
}

void AppendBlock(std::string &image, std::string_view text, const Bytes16 &iv, std::uint8_t flags,
                 std::string_view readPassword, CryptoProvider &crypto)
{
    if (text.size() > kMaxBlockText) {
        throw BlockTooLong(text.size(), -1);
    }
    Bytes32 material{};
    Require(CryptoProvider::RandomBytes(material));
    image.append(reinterpret_cast<const char *>(material.data()), material.size());
    AppendU16(image, static_cast<std::uint16_t>(text.size()));
    const std::size_t at = image.size();
    image.append(text);
    Require(crypto.Encipher(std::span<char>(image).subspan(at),
                            BlockKeyOf(material, flags, readPassword), iv));
}

std::string BuildContainer(const ContainerParts &parts, CryptoProvider &crypto, double moment)
{
    std::string image;
    BuildContainer(parts, crypto, moment, image);
    return image;
}

void BuildContainer(const ContainerParts &parts, CryptoProvider &crypto, double moment,
                    std::string &image)
{
    std::string buses;
    parts.tyres->Write(buses);
    std::size_t size = kTestFileMagic.size() + buses.size() + kBlockHeadSize +
                       parts.generalText.size() + 1 + 64 + 8 + kDigestSize;
    for (const auto &text : parts.testTexts) {
        size += kBlockHeadSize + text.size();
    }
    image.clear();
    image.reserve(size);
    image += kTestFileMagic;
    image += buses;
    const auto append = [&](std::string_view text, const Bytes16 &iv, int index) {
        if (text.size() > kMaxBlockText) {
            throw BlockTooLong(text.size(), index);
        }
        AppendBlock(image, text, iv, parts.access.Flags, parts.readPassword, crypto);
    };
    append(parts.generalText, kGeneralBlockIv, -1);
    for (std::size_t i = 0; i < parts.testTexts.size(); ++i) {
        append(parts.testTexts[i], kTestBlockIv, static_cast<int>(i));
    }
    AppendTrailer(image, parts.access, moment);
    AppendDigest(image, crypto);
}

ContainerContent ReadContainer(ByteSource &source, CryptoProvider &crypto,
                               std::span<char> digestBuffer, const ReadPasswordSource &password)
{
    ContainerContent content;
    content.access = ReadEnvelope(source, crypto, digestBuffer);
    if (content.access.Flags & kFlagReadPassword) {
        const auto padded = password ? password(content.access) : std::nullopt;
        if (!padded) {
            throw CodeError(CodeError::AlreadyReported);
        }
        content.readPassword = *padded;
    }
    source.Seek(kTestFileMagic.size());
    source.SetLimit(content.access.T);
    content.tyres.Read(source);
    const auto block = [&](const Bytes16 &iv) {
        return ReadBlock(source, iv, content.access.Flags, content.readPassword, crypto);
    };
    content.generalText = block(kGeneralBlockIv);
    while (source.Remaining() > 0) {
        content.testTexts.push_back(block(kTestBlockIv));
    }
    source.SetLimit(ByteSource::NoLimit);
    return content;
}

void AppendTrailer(std::string &image, const Trailer &trailer, double moment)
{
    const auto t = static_cast<std::uint32_t>(image.size());
    image.push_back(static_cast<char>(trailer.Flags));
    if (trailer.Flags & kFlagReadPassword) {
        image.append(reinterpret_cast<const char *>(trailer.ReadCheck.data()), 32);
    }
    if (trailer.Flags & kFlagWritePassword) {
        image.append(reinterpret_cast<const char *>(trailer.WriteCheck.data()), 32);
    }
    AppendU32(image, t);
    AppendU32(image, static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(moment)));
}

void AppendDigest(std::string &image, CryptoProvider &crypto)
{
    Bytes32 digest{};
    Require(DigestOfBytes(image, crypto, digest));
    image.append(reinterpret_cast<const char *>(digest.data()), digest.size());
}

} // namespace qv
