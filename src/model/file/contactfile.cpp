#include "model/file/contactfile.h"

#include "model/file/container.h"
#include "model/io/bytesource.h"
#include "model/io/errors.h"

#include <stdexcept>

namespace qv {
namespace {

constexpr std::uint64_t kDatesSize = 16;
constexpr std::uint64_t kMinSize = kContactFileMagic.size() + 2 + kDatesSize + kDigestSize;

std::string Masked(std::string name)
{
    for (char &byte : name) {
        byte = static_cast<char>(byte ^ static_cast<char>(kContactNameMask));
    }
    return name;
}

} // namespace

ContactFileContent ReadContactFile(ByteSource &source, CryptoProvider &crypto,
                                   std::span<char> digestBuffer)
{
    source.Seek(0);
    if (source.ReadBytes(kContactFileMagic.size()) != kContactFileMagic) {
        throw CodeError(CodeError::BadMagic);
    }
    const std::uint64_t size = source.Size();
    if (size < kMinSize) {
        throw ReadFailure();
    }
    CheckTrailingDigest(source, crypto, digestBuffer);

    ContactFileContent content;
    const std::uint64_t datesAt = size - kDigestSize - kDatesSize;
    source.Seek(kContactFileMagic.size());
    source.SetLimit(datesAt); // the records must end before the dates
    const std::size_t count = source.ReadU16();
    content.records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        ContactFileContent::Record record;
        record.number = source.ReadU16();
        record.name = Masked(source.ReadBytes(source.ReadByte()));
        content.records.push_back(std::move(record));
    }
    source.SetLimit(ByteSource::NoLimit);
    source.Seek(datesAt);
    content.created = source.ReadDouble();
    content.modified = source.ReadDouble();
    return content;
}

std::string BuildContactFile(const ContactFileContent &content, CryptoProvider &crypto)
{
    if (content.records.size() > 0xFFFF) {
        throw std::length_error("too many contact records");
    }
    std::string bytes(kContactFileMagic);
    AppendU16(bytes, static_cast<std::uint16_t>(content.records.size()));
    for (const auto &record : content.records) {
        if (record.name.size() > 0xFF) {
            throw std::length_error("contact name longer than 255 bytes");
        }
        AppendU16(bytes, record.number);
        bytes.push_back(static_cast<char>(record.name.size()));
        bytes += Masked(record.name);
    }
    AppendDouble(bytes, content.created);
    AppendDouble(bytes, content.modified);
    Bytes32 digest{};
    if (!DigestOfBytes(bytes, crypto, digest)) {
        throw CodeError(CodeError::CryptoFailed);
    }
    bytes.append(reinterpret_cast<const char *>(digest.data()), digest.size());
    return bytes;
}

} // namespace qv
