#include "infra/checksum.h"
#include "infra/unitcodes.h"

#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace qv {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

TEST(Checksum, StandardCheckValues)
{
    EXPECT_EQ(Crc16(Bytes("123456789")), 0x29B1);
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32({}), 0u);
    EXPECT_EQ(Crc16({}), 0xFFFF);
}

TEST(Checksum, Crc32ContinuesAcrossPiecesOfAnyLength)
{
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::uint32_t whole = Crc32(data);
    for (const std::size_t cut : {0u, 1u, 3u, 4u, 5u, 999u}) {
        const std::span<const std::uint8_t> all(data);
        EXPECT_EQ(Crc32(all.subspan(cut), Crc32(all.first(cut))), whole) << cut;
    }
}

TEST(UnitCodes, NamesAndCodesMatchBothWays)
{
    EXPECT_EQ(UnitCommandName(INIT), "INIT");
    EXPECT_EQ(UnitCommandName(QORV_GET_T3), "QORV_GET_T3");
    EXPECT_EQ(UnitCommandName(BUILD_INFO), "BUILD_INFO");
    EXPECT_EQ(UnitCommandName(0), "");
    EXPECT_EQ(UnitCommandName(39), "");
    for (int code = kFirstUnitCommand; code <= kLastUnitCommand; ++code)
        EXPECT_EQ(UnitCommandByName(UnitCommandName(code)), code);
    EXPECT_FALSE(UnitCommandByName("init"));
    EXPECT_EQ(kDevicePrograms[4].displayName, "Тест памяти RAM/ROM");
}

} // namespace
} // namespace qv
