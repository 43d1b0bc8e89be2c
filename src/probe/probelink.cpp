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

} // namespace qv::probe
