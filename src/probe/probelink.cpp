#include "probe/probelink.h"

#include "probe/d2xxlink.h"
#include "probe/ftdilink.h"
#include "probe/simprobelink.h"

#include <algorithm>
#include <cctype>

namespace qv::probe {

std::optional<LinkKind> ParseLinkKind(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "sim")
        return LinkKind::Sim;
    if (lower == "ftdi")
        return LinkKind::Ftdi;
    if (lower == "d2xx")
        return LinkKind::D2xx;
    return std::nullopt;
}

std::string_view LinkKindName(LinkKind kind)
{
    switch (kind) {
    case LinkKind::Sim:
        return "sim";
    case LinkKind::Ftdi:
        return "ftdi";
    case LinkKind::D2xx:
        return "d2xx";
    }
    return "sim";
}

std::unique_ptr<ProbeLink> MakeProbeLink(LinkKind kind, std::string *message)
{
    switch (kind) {
    case LinkKind::Sim:
        return std::make_unique<SimProbeLink>();
    case LinkKind::Ftdi:
        return std::make_unique<FtdiLink>();
    case LinkKind::D2xx: {
        auto library = D2xxLibrary::Load(message);
        if (!library)
            return nullptr;
        return std::make_unique<D2xxLink>(std::move(library));
    }
    }
    return nullptr;
}

std::unique_ptr<ProbeLink> MakeProbeLink(std::string_view setting, std::string *message)
{
    const auto kind = ParseLinkKind(setting);
    if (!kind) {
        *message = "Устройство зонда \"" + std::string(setting) +
                   "\" неизвестно: укажите sim, ftdi или d2xx";
        return nullptr;
    }
    return MakeProbeLink(*kind, message);
}

bool BindProbeLibrary(std::string_view setting, std::unique_ptr<D2xxLibrary> *library,
                      std::string *message)
{
    if (ParseLinkKind(setting) != LinkKind::D2xx)
        return true;
    *library = D2xxLibrary::Load(message);
    return *library != nullptr;
}

} // namespace qv::probe
