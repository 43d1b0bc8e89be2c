#include "model/settings/oscillogramcolours.h"

#include "model/ini/inistore.h"

namespace qv {
namespace {

void ReadColour(const IniStore &store, std::string_view key, std::uint32_t &colour)
{
    constexpr std::int32_t kMissing = -1;
    const std::int32_t value = store.ReadInteger(OscillogramColours::kSection, key, kMissing);
    if (value >= 0 && value <= 0xFFFFFF)
        colour = static_cast<std::uint32_t>(value);
}

} // namespace

void OscillogramColours::Load(const IniStore &store)
{
    ReadColour(store, kKeyFile, File);
    ReadColour(store, kKeyCurrent, Current);
}

void OscillogramColours::Save(IniStore &store) const
{
    store.WriteInteger(kSection, kKeyFile, File);
    store.WriteInteger(kSection, kKeyCurrent, Current);
}

} // namespace qv
