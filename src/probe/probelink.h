#pragma once

// The USB link of the oscilloscope probe: the six calls the driver makes,
// behind one interface with three implementations chosen by the setting
// "Устройство зонда" (section "Блок диагностики"):
//   sim   the simulated probe of the simulated unit (the default);
//   ftdi  the real device through libftdi1;
//   d2xx  the real device through the vendor's D2XX library, loaded at run
//         time when it is installed (never shipped with the program).
//
// Every call returns a LinkStatus; Ok is 0 like the vendor's library, any
// other value is a failure. The link owns its device handle: it is open
// between a successful OpenEx and Close.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::probe {

enum class LinkStatus : std::uint32_t {
    Ok = 0,
    InvalidHandle = 1,
    DeviceNotFound = 2,
    DeviceNotOpened = 3,
    IoError = 4,
};

// OpenEx's flag for opening by the USB description string.
inline constexpr std::uint32_t kOpenByDescription = 2;
// Purge masks.
inline constexpr std::uint32_t kPurgeRx = 1;
inline constexpr std::uint32_t kPurgeTx = 2;

enum class LinkKind { Sim, Ftdi, D2xx };

class ProbeLink
{
public:
    virtual ~ProbeLink() = default;

    virtual LinkStatus OpenEx(std::string_view description, std::uint32_t flags) = 0;
    virtual LinkStatus Purge(std::uint32_t mask) = 0;
    // Bytes waiting in the receive queue; never blocks for long.
    virtual LinkStatus GetQueueStatus(std::uint32_t &queued) = 0;
    virtual LinkStatus Read(std::span<std::uint8_t> buffer, std::uint32_t &received) = 0;
    virtual LinkStatus Write(std::span<const std::uint8_t> bytes, std::uint32_t &written) = 0;
    virtual LinkStatus Close() = 0;
};

// "sim", "ftdi", "d2xx" (letter case ignored); nullopt for anything else.
std::optional<LinkKind> ParseLinkKind(std::string_view text);
std::string_view LinkKindName(LinkKind kind);

// Makes a closed link of that kind. For d2xx the library is bound first;
// when it or an entry point is missing the result is null and *message
// holds the operator's text.
std::unique_ptr<ProbeLink> MakeProbeLink(LinkKind kind, std::string *message);
// The same for the setting's text; an unknown name is refused with a message.
std::unique_ptr<ProbeLink> MakeProbeLink(std::string_view setting, std::string *message);

class D2xxLibrary;
// Start-up: when the setting names the vendor's library it is bound now,
// and kept until shut-down by the result. False with the operator's
// message when it is missing or incomplete (the application then ends).
bool BindProbeLibrary(std::string_view setting, std::unique_ptr<D2xxLibrary> *library,
                      std::string *message);

} // namespace qv::probe
