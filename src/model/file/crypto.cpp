#include "model/file/crypto.h"

#include <limits>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace qv {

struct CryptoProvider::Contexts
{
    struct DigestFree
    {
        void operator()(EVP_MD_CTX *ctx) const { EVP_MD_CTX_free(ctx); }
    };
    struct CipherFree
    {
        void operator()(EVP_CIPHER_CTX *ctx) const { EVP_CIPHER_CTX_free(ctx); }
    };

    // Allocated once with the provider and reused by every operation.
    std::unique_ptr<EVP_MD_CTX, DigestFree> digest{EVP_MD_CTX_new()};
    std::unique_ptr<EVP_CIPHER_CTX, CipherFree> cipher{EVP_CIPHER_CTX_new()};
};

CryptoProvider::CryptoProvider()
    : m_contexts(std::make_unique<Contexts>())
{}

CryptoProvider::~CryptoProvider() = default;

bool CryptoProvider::Digest(std::span<const char> chunk, ChunkMark mark, Bytes32 *out)
{
    EVP_MD_CTX *ctx = m_contexts->digest.get();
    if (ctx == nullptr) {
        return false;
    }
    if (mark == ChunkMark::First || mark == ChunkMark::Only) {
        if (EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) != 1) {
            return false;
        }
    }
    if (!chunk.empty() && EVP_DigestUpdate(ctx, chunk.data(), chunk.size()) != 1) {
        return false;
    }
    if (mark == ChunkMark::Last || mark == ChunkMark::Only) {
        unsigned int length = 0;
        if (out == nullptr || EVP_DigestFinal_ex(ctx, out->data(), &length) != 1 ||
            length != out->size()) {
            return false;
        }
    }
    return true;
}

bool CryptoProvider::CheckValue(std::span<const std::uint8_t, 32> input, Bytes32 &out)
{
    return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char *>(input.data()),
                             static_cast<int>(input.size()),
                             reinterpret_cast<const unsigned char *>(kCheckSalt.data()),
                             static_cast<int>(kCheckSalt.size()), kCheckIterations, EVP_sha256(),
                             static_cast<int>(out.size()), out.data()) == 1;
}

bool CryptoProvider::Encipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv)
{
    return Cipher(text, key, iv, true);
}

bool CryptoProvider::Decipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv)
{
    return Cipher(text, key, iv, false);
}

bool CryptoProvider::Cipher(std::span<char> text, const Bytes32 &key, const Bytes16 &iv,
                            bool encipher)
{
    EVP_CIPHER_CTX *ctx = m_contexts->cipher.get();
    if (ctx == nullptr || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return false;
    }
    if (EVP_CipherInit_ex(ctx, EVP_aes_256_cfb128(), nullptr, key.data(), iv.data(),
                          encipher ? 1 : 0) != 1) {
        return false;
    }
    auto *bytes = reinterpret_cast<unsigned char *>(text.data());
    int written = 0;
    if (!text.empty() &&
        EVP_CipherUpdate(ctx, bytes, &written, bytes, static_cast<int>(text.size())) != 1) {
        return false;
    }
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx, bytes + written, &tail) != 1) {
        return false;
    }
    return static_cast<std::size_t>(written + tail) == text.size();
}

bool CryptoProvider::RandomBytes(std::span<std::uint8_t> out)
{
    return out.empty() || RAND_bytes(out.data(), static_cast<int>(out.size())) == 1;
}

ChunkMark MarkOfChunk(std::uint64_t offset, std::uint64_t total, std::uint64_t chunkSize)
{
    const bool first = offset == 0;
    const bool last = offset + chunkSize >= total;
    if (first && last) {
        return ChunkMark::Only;
    }
    if (first) {
        return ChunkMark::First;
    }
    return last ? ChunkMark::Last : ChunkMark::Next;
}

} // namespace qv
