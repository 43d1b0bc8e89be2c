#pragma once

// Test support: the link of a station that has no diagnostics unit at all.

#include "execution/link/unitlink.h"

namespace qv::testing {

class AbsentUnitLink final : public UnitLink
{
public:
    bool Present(std::string *why) override
    {
        if (why)
            *why = "блок диагностики не подключен";
        return false;
    }
    bool Open(std::chrono::milliseconds, std::string *error) override
    {
        if (error)
            *error = "блок диагностики не подключен";
        return false;
    }
    void Close() override {}
    bool Write(std::span<const std::uint8_t>, std::chrono::milliseconds,
               std::string *error) override
    {
        if (error)
            *error = "блок диагностики не подключен";
        return false;
    }
    std::size_t Read(std::span<std::uint8_t>) override { return 0; }
};

} // namespace qv::testing
