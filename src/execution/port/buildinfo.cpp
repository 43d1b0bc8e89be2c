#include "execution/port/buildinfo.h"

#include "infra/encoding.h"
#include "infra/unitcodes.h"

#include <cstdio>

namespace qv {

namespace {

std::string Format(const char *format, int a, int b, int c)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}

std::string Character(std::uint8_t byte)
{
    return Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
}

} // namespace

std::optional<std::string> BuildInfoText(std::span<const std::uint8_t> a)
{
    if (a.size() < 9 || a.size() >= 1024 || a[0] >= 2)
        return std::nullopt;
    const bool msdos = a[0] == UnitTypeMsDos;
    const int month = a[4] + (msdos ? 1 : 0);
    std::string text = "Тип устройства: ";
    text += msdos ? "MSDOS" : "ARM";
    text += "\r\n";
    text += "Дата сборки: " + Format("%.2i.%.2i.%.2i\r\n", a[3], month, a[1] * 256 + a[2]);
    text += "Время сборки: " + Format("%.2i:%.2i:%.2i", a[5], a[6], a[7]);
    const std::size_t pairs = std::min<std::size_t>(a[8], (a.size() - 9) / 2);
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::uint8_t major = a[9 + 2 * i];
        const std::uint8_t minor = a[10 + 2 * i];
        if (major == 0 || minor == 0)
            continue;
        const std::string_view name =
            i < kDevicePrograms.size() ? kDevicePrograms[i].displayName : std::string_view{};
        text += "\r\nВерсия сборки \"" + std::string(name) + "\": " + Character(major) + "." +
                Character(minor);
    }
    return text;
}

} // namespace qv
