#include "results/uid.h"

#include <QRandomGenerator>
#include <chrono>

namespace qv::results {

std::string TimeOrderedUid(std::uint64_t unixMillis, const std::array<std::uint64_t, 2> &random)
{
    std::array<std::uint8_t, 16> bytes{};
    for (int i = 0; i < 6; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(unixMillis >> (40 - 8 * i));
    // 12 random bits after the version, 62 after the variant.
    bytes[6] = static_cast<std::uint8_t>(0x70 | ((random[0] >> 8) & 0x0f));
    bytes[7] = static_cast<std::uint8_t>(random[0]);
    bytes[8] = static_cast<std::uint8_t>(0x80 | ((random[1] >> 56) & 0x3f));
    for (int i = 9; i < 16; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(random[1] >> (8 * (15 - i)));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0f];
    }
    return text;
}

std::string NewUid()
{
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    QRandomGenerator *random = QRandomGenerator::system();
    return TimeOrderedUid(static_cast<std::uint64_t>(millis.count()),
                          {random->generate64(), random->generate64()});
}

} // namespace qv::results
