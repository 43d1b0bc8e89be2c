#include "results/failureset.h"

#include <array>
#include <cstdint>
#include <functional>
#include <openssl/evp.h>

namespace qv::results {

namespace {

// The content in a form that tells every field apart: numbers of fixed
// width, texts with their length.
class Canonical
{
public:
    explicit Canonical(std::size_t expected) { m_bytes.reserve(expected); }
    void Int(std::int64_t value)
    {
        std::array<char, 8> bytes{};
        const auto bits = static_cast<std::uint64_t>(value);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
        m_bytes.append(bytes.data(), bytes.size());
    }
    void Text(std::string_view text)
    {
        Int(static_cast<std::int64_t>(text.size()));
        m_bytes.append(text);
    }
    void Optional(const std::optional<std::int32_t> &value)
    {
        Int(value ? 1 : 0);
        Int(value.value_or(0));
    }
    const std::string &Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

std::string HexSha256(const std::string &bytes)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(kHex[digest[i] >> 4]);
        hex.push_back(kHex[digest[i] & 0xF]);
    }
    return hex;
}

// The diagnosis with each "passes": [pass] replaced by the mark; false
// (and the diagnosis as it is) when it names no such list, or holds the
// mark already and could not be told apart.
bool PassTemplate(const std::string &diagnosis, int pass, std::string &stored)
{
    if (pass <= 0) {
        stored = diagnosis;
        return false;
    }
    // A diagnosis is many kilobytes of short quoted texts: a searcher that
    // skips ahead costs a fraction of a search for each quote.
    const std::string own = std::to_string(pass) + "]";
    const std::string_view mark = kPassMark.substr(kPassList.size());
    const std::boyer_moore_horspool_searcher searcher(kPassList.begin(), kPassList.end());
    std::string made;
    made.reserve(diagnosis.size());
    bool replaced = false;
    auto from = diagnosis.begin();
    for (;;) {
        const auto [at, end] = searcher(from, diagnosis.end());
        made.append(from, end);
        if (at == diagnosis.end())
            break;
        const std::string_view rest =
            std::string_view(diagnosis).substr(static_cast<std::size_t>(end - diagnosis.begin()));
        if (rest.starts_with(mark)) {
            stored = diagnosis; // it could not be told from the mark
            return false;
        }
        from = end;
        if (rest.starts_with(own)) {
            made.append(mark);
            from += static_cast<std::ptrdiff_t>(own.size());
            replaced = true;
        }
    }
    stored = std::move(made); // the diagnosis itself when nothing was replaced
    return replaced;
}

} // namespace

std::string PassListOf(int pass)
{
    return std::string(kPassList) + std::to_string(pass) + "]";
}

std::optional<Failure> FailureOf(const TestResult &test, int pass)
{
    if (test.wrongWords.empty() && test.contacts.empty() && test.diagnosis.empty() &&
        !test.unexplained)
        return std::nullopt;
    std::string stored;
    const bool passTemplate = PassTemplate(test.diagnosis, pass, stored);
    return StoredFailureOf(test, std::move(stored), passTemplate);
}

std::optional<Failure> StoredFailureOf(const TestResult &test, std::string storedDiagnosis,
                                       bool passTemplate)
{
    if (test.wrongWords.empty() && test.contacts.empty() && storedDiagnosis.empty() &&
        !test.unexplained)
        return std::nullopt;
    Failure failure;
    failure.test = &test;
    failure.diagnosis = std::move(storedDiagnosis);
    failure.passTemplate = passTemplate;

    constexpr std::size_t kPerWord = 64;
    Canonical content(failure.diagnosis.size() +
                      kPerWord * (test.wrongWords.size() + test.contacts.size() + 1));
    content.Text("failure 1");
    content.Int(failure.diagnosis.empty() ? 0 : 1);
    content.Text(failure.diagnosis);
    content.Int(failure.passTemplate ? 1 : 0);
    content.Optional(test.unexplained);
    content.Int(static_cast<std::int64_t>(test.wrongWords.size()));
    for (const WrongWord &word : test.wrongWords) {
        content.Int(word.word);
        content.Text(word.name);
        content.Int(word.cycle);
        content.Optional(word.reference);
        content.Optional(word.read);
    }
    content.Int(static_cast<std::int64_t>(test.contacts.size()));
    for (const FailingContact &contact : test.contacts) {
        content.Int(contact.contact);
        content.Text(contact.name);
        content.Int(contact.word);
        content.Int(contact.bit);
    }
    // Empty when the library failed: the writer then refuses the record
    // rather than store it without its failure.
    failure.digest = HexSha256(content.Bytes());
    return failure;
}

const std::vector<std::optional<Failure>> &
SharedFailures::Of(const std::shared_ptr<const SharedTests> &shared)
{
    for (const Entry &entry : m_entries)
        if (entry.tests == shared)
            return entry.failures;
    Entry &entry = m_entries.emplace_back();
    entry.tests = shared;
    for (const TestResult &test : shared->Stored())
        entry.failures.push_back(StoredFailureOf(
            test, test.diagnosis, test.diagnosis.find(kPassMark) != std::string::npos));
    return entry.failures;
}

void SharedFailures::Trim()
{
    while (m_entries.size() > kEntries)
        m_entries.pop_front();
}

std::optional<Failure> FailureMemo::FailureOf(const TestResult &test, int pass)
{
    const auto same = [&test](const Known &known, const std::string &stored, bool passTemplate) {
        return known.failure.passTemplate == passTemplate && known.failure.diagnosis == stored &&
               known.content.unexplained == test.unexplained &&
               known.content.wrongWords == test.wrongWords &&
               known.content.contacts == test.contacts;
    };
    const auto known = m_last.find(test.number);
    if (known != m_last.end()) {
        std::string stored;
        const bool passTemplate = PassTemplate(test.diagnosis, pass, stored);
        if (same(known->second, stored, passTemplate)) {
            Failure failure = known->second.failure;
            failure.test = &test;
            return failure;
        }
    }
    std::optional<Failure> failure = results::FailureOf(test, pass);
    if (!failure || failure->digest.empty()) {
        m_last.erase(test.number);
        return failure;
    }
    Known &kept = m_last[test.number];
    kept.content.unexplained = test.unexplained;
    kept.content.wrongWords = test.wrongWords;
    kept.content.contacts = test.contacts;
    kept.failure = *failure;
    kept.failure.test = nullptr;
    return failure;
}

} // namespace qv::results
