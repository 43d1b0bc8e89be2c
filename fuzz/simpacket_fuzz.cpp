// The simulated unit's side of the link: host bytes, cut into reads at
// places the input chooses, through its packet reader. Every packet found
// must come out the same when it is encoded again and read.

#include "fuzzsupport.h"
#include "sim/packet.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv::sim;
    if (size < 1)
        return 0;
    PacketReader reader;
    std::vector<Packet> packets;
    qv::fuzz::FeedInChunks({data + 1, size - 1}, data[0],
                           [&](std::span<const std::uint8_t> read) { reader.Take(read, packets); });
    for (const Packet &packet : packets) {
        PacketReader again;
        std::vector<Packet> copies;
        again.Take(EncodePacket(packet.kind, packet.code, packet.seq, packet.value, packet.body),
                   copies);
        if (copies.size() != 1 || copies[0].kind != packet.kind || copies[0].code != packet.code ||
            copies[0].seq != packet.seq || copies[0].value != packet.value ||
            copies[0].body != packet.body)
            std::abort();
    }
    return 0;
}
