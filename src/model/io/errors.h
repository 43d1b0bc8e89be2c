#pragma once

// Failures inside the test-file container. They are raised where they happen
// and turned into log lines once, at the edge of Load or Save (see
// TTestFile); every other exception that reaches that edge is shown in an
// error box with its own text.

#include <cstddef>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

namespace qv {

// Read past the end of a file, or a failed read.
class ReadFailure : public std::runtime_error
{
public:
    ReadFailure()
        : std::runtime_error("read failure")
    {}
};

// A failed write. reason, when given, is a message for the operator that
// names the file and says what went wrong; it takes the place of the
// general line.
class WriteFailure : public std::runtime_error
{
public:
    explicit WriteFailure(std::string reason = {})
        : std::runtime_error(reason.empty() ? "write failure" : reason)
        , m_reason(std::move(reason))
    {}
    const std::string &Reason() const { return m_reason; }

private:
    std::string m_reason;
};

// The file cannot be opened: missing, locked by another copy, no access, or
// not a regular file (reason as for WriteFailure).
class OpenFailure : public std::runtime_error
{
public:
    explicit OpenFailure(std::string reason = {})
        : std::runtime_error(reason.empty() ? "open failure" : reason)
        , m_reason(std::move(reason))
    {}
    const std::string &Reason() const { return m_reason; }

private:
    std::string m_reason;
};

// A block text longer than its 16-bit length can hold. testIndex is the
// 0-based test, or -1 for the general block; the save is refused.
class BlockTooLong : public std::runtime_error
{
public:
    BlockTooLong(std::size_t size, int testIndex)
        : std::runtime_error("block too long")
        , m_size(size)
        , m_testIndex(testIndex)
    {}
    std::size_t Size() const { return m_size; }
    int TestIndex() const { return m_testIndex; }

private:
    std::size_t m_size;
    int m_testIndex;
};

// A numbered failure of the container.
class CodeError : public std::runtime_error
{
public:
    enum : int {
        BadMagic = 1,          // the magic does not match
        DigestMismatch = 3,    // the digest does not match
        CryptoFailed = 6,      // the crypto provider failed
        Cancelled = 253,       // cancelled by the operator
        AlreadyReported = 254, // cancelled, or already reported to the operator
    };

    explicit CodeError(int code)
        : std::runtime_error(std::to_string(code))
        , m_code(code)
    {}
    int Code() const { return m_code; }

private:
    int m_code;
};

// The log line of a container failure; "" for a failure that has none
// (cancelled, already reported, crypto failure); nullopt for an exception
// that is not a container failure (its own text is shown in an error box).
std::optional<std::string> FailureLogLine(std::exception_ptr failure,
                                          std::size_t maxBlockText = 65535);

} // namespace qv
