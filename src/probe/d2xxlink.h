#pragma once

// The probe link through the vendor's D2XX library, loaded at run time by
// name when it is installed; this program never ships it. All 45 entry
// points are bound in a fixed order so that a library of the wrong version
// is refused at once; six of them are called.

#include "probe/probelink.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace qv::probe {

inline constexpr std::string_view kD2xxLibraryName = "libftd2xx.so";

// The names bound, in order.
extern const std::array<const char *, 45> kD2xxFunctions;

class D2xxLibrary
{
public:
    using Handle = void *;
    using Status = unsigned long;
    using OpenEx = Status (*)(void *arg, std::uint32_t flags, Handle *handle);
    using Purge = Status (*)(Handle handle, unsigned long mask);
    using GetQueueStatus = Status (*)(Handle handle, std::uint32_t *queued);
    using Read = Status (*)(Handle handle, void *buffer, std::uint32_t size,
                            std::uint32_t *received);
    using Write = Status (*)(Handle handle, const void *buffer, std::uint32_t size,
                             std::uint32_t *written);
    using Close = Status (*)(Handle handle);

    // Loads the library (name: kD2xxLibraryName, or another file for the
    // tests) and binds every entry point. Null with the operator's message
    // when the file cannot be loaded or an entry point is missing.
    static std::unique_ptr<D2xxLibrary> Load(std::string *message,
                                             std::string_view name = kD2xxLibraryName);
    ~D2xxLibrary();

    D2xxLibrary(const D2xxLibrary &) = delete;
    D2xxLibrary &operator=(const D2xxLibrary &) = delete;

    OpenEx openEx = nullptr;
    Purge purge = nullptr;
    GetQueueStatus getQueueStatus = nullptr;
    Read read = nullptr;
    Write write = nullptr;
    Close close = nullptr;

private:
    D2xxLibrary() = default;
    void *m_library = nullptr; // dlopen handle, owned
};

class D2xxLink final : public ProbeLink
{
public:
    explicit D2xxLink(std::unique_ptr<D2xxLibrary> library);
    ~D2xxLink() override;

    LinkStatus OpenEx(std::string_view description, std::uint32_t flags) override;
    LinkStatus Purge(std::uint32_t mask) override;
    LinkStatus GetQueueStatus(std::uint32_t &queued) override;
    LinkStatus Read(std::span<std::uint8_t> buffer, std::uint32_t &received) override;
    LinkStatus Write(std::span<const std::uint8_t> bytes, std::uint32_t &written) override;
    LinkStatus Close() override;

private:
    std::unique_ptr<D2xxLibrary> m_library;
    D2xxLibrary::Handle m_handle = nullptr; // non-null while open
};

} // namespace qv::probe
