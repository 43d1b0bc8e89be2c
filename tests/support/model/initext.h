#pragma once

// A store filled from INI text written in a test.

#include "model/ini/inistore.h"

#include <string_view>

namespace qv {

inline IniStore IniOf(std::string_view text)
{
    IniStore ini;
    ini.FromText(text);
    return ini;
}

} // namespace qv
