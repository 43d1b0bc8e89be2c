#include "execution/link/unitframe.h"
#include "infra/checksum.h"
#include "infra/unitcodes.h"
#include "sim/packet.h"

#include <gtest/gtest.h>

namespace qv::wire {
namespace {

std::vector<std::uint8_t> FrameBytes(Kind kind, int code, std::uint16_t seq, std::uint32_t value,
                                     std::vector<std::uint8_t> payload)
{
    std::vector<std::uint8_t> out;
    AppendFrame(out, kind, code, seq, value, payload);
    return out;
}

std::vector<Frame> DecodeAll(Decoder &decoder, std::span<const std::uint8_t> bytes)
{
    std::vector<Frame> frames;
    decoder.Feed(bytes, [&](Frame &&f) { frames.push_back(std::move(f)); });
    return frames;
}

TEST(UnitFrame, AFrameHasTheDocumentedLayout)
{
    const auto bytes = FrameBytes(Kind::Data, BUILD_INFO, 0x0102, 0xA0B0C0D0, {1, 2, 3});
    ASSERT_EQ(bytes.size(), 16u + 3 + 4);
    EXPECT_EQ(bytes[0], 0xA7);
    EXPECT_EQ(bytes[1], 0x5C);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[3], 38);
    EXPECT_EQ(GetU16(bytes, 4), 0x0102);
    EXPECT_EQ(GetU32(bytes, 6), 0xA0B0C0D0u);
    EXPECT_EQ(GetU32(bytes, 10), 3u);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 16, bytes.begin() + 19)),
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(GetU32(bytes, 19), 0x55BC801Du) << "CRC-32 of 01 02 03";
}

TEST(UnitFrame, FramesArrivingByteByByteAreFoundInOrder)
{
    auto bytes = FrameBytes(Kind::Ack, QORV_RESET, 1, 0, {});
    const auto second = FrameBytes(Kind::Notify, UKT, 9, 2, {7, 7});
    bytes.insert(bytes.end(), second.begin(), second.end());
    Decoder decoder;
    std::vector<Frame> frames;
    for (const std::uint8_t byte : bytes) {
        auto got = DecodeAll(decoder, std::span(&byte, 1));
        frames.insert(frames.end(), got.begin(), got.end());
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Kind::Ack);
    EXPECT_EQ(frames[0].code, QORV_RESET);
    EXPECT_EQ(frames[1].kind, Kind::Notify);
    EXPECT_EQ(frames[1].value, 2u);
    EXPECT_EQ(frames[1].payload, (std::vector<std::uint8_t>{7, 7}));
    EXPECT_EQ(decoder.BytesDropped(), 0u);
}

TEST(UnitFrame, GarbageAndFalseStartsBeforeAFrameAreDroppedAndCounted)
{
    // Noise with sync pairs, one of them followed by a plausible header.
    std::vector<std::uint8_t> bytes{0x00, 0xA7, 0xA7, 0x5C, 0x03, 0x26, 0x11, 0xA7, 0x5C};
    auto fake = FrameBytes(Kind::Data, INIT, 1, 0, {1, 2});
    fake[14] ^= 0xFF; // its header check fails
    bytes.insert(bytes.end(), fake.begin(), fake.end());
    const auto real = FrameBytes(Kind::Data, INIT, 2, 0, {5});
    bytes.insert(bytes.end(), real.begin(), real.end());
    Decoder decoder;
    const auto frames = DecodeAll(decoder, bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].seq, 2);
    EXPECT_EQ(decoder.BytesDropped(), bytes.size() - real.size());
}

TEST(UnitFrame, AFrameInsideADamagedFrameIsStillFound)
{
    // A frame whose announced payload swallows the next frame: its payload
    // check fails, and the search goes on inside the bytes it swallowed.
    auto outer = FrameBytes(Kind::Data, BUILD_INFO, 1, 0, std::vector<std::uint8_t>(40, 0x33));
    const auto inner = FrameBytes(Kind::Ack, QORV_RESET, 2, 0, {});
    std::copy(inner.begin(), inner.end(), outer.begin() + 16 + 5);
    Decoder decoder;
    const auto frames = DecodeAll(decoder, outer);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, QORV_RESET);
    EXPECT_EQ(frames[0].seq, 2);
}

TEST(UnitFrame, AHeaderAnnouncingTooMuchOrAnUnknownCodeIsRejectedAtOnce)
{
    for (const auto &[code, length] :
         {std::pair{int{QORV_RESET}, kMaxPayload + 1}, std::pair{0, 0u}, std::pair{39, 0u}}) {
        // A header whose check is right but whose content is not.
        std::vector<std::uint8_t> bytes{kSync0, kSync1, 3, static_cast<std::uint8_t>(code), 1, 0, 0,
                                        0,      0,      0};
        PutU32(bytes, length);
        PutU16(bytes, Crc16(bytes));
        const auto good = FrameBytes(Kind::Ack, INIT, 3, 0, {});
        bytes.insert(bytes.end(), good.begin(), good.end());
        Decoder decoder;
        const auto frames = DecodeAll(decoder, bytes);
        ASSERT_EQ(frames.size(), 1u) << code;
        EXPECT_EQ(frames[0].seq, 3);
        EXPECT_EQ(decoder.BytesDropped(), 16u);
    }
}

TEST(UnitFrame, BothEndsOfTheLinkReadEachOthersFrames)
{
    const std::vector<std::uint8_t> payload{0xA7, 0x5C, 0, 1, 2, 250};
    // Unit to host.
    const auto fromUnit = sim::EncodePacket(sim::kWarning, QORV_RESET, 77, 5, payload);
    Decoder decoder;
    const auto frames = DecodeAll(decoder, fromUnit);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Kind::Warning);
    EXPECT_EQ(frames[0].seq, 77);
    EXPECT_EQ(frames[0].value, 5u);
    EXPECT_EQ(frames[0].payload, payload);
    // Host to unit, split in two reads.
    std::vector<std::uint8_t> fromHost;
    AppendFrame(fromHost, Kind::Command, DATA_BLOCK, 12, 3, payload);
    EXPECT_EQ(fromHost, sim::EncodePacket(sim::kCommand, DATA_BLOCK, 12, 3, payload));
    sim::PacketReader reader;
    std::vector<sim::Packet> packets;
    reader.Take(std::span(fromHost).first(7), packets);
    EXPECT_TRUE(packets.empty());
    reader.Take(std::span(fromHost).subspan(7), packets);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].code, DATA_BLOCK);
    EXPECT_EQ(packets[0].value, 3u);
    EXPECT_EQ(packets[0].body, payload);
}

} // namespace
} // namespace qv::wire
