// The program's side of the unit link: received bytes, cut into reads at
// places the input chooses, through the frame decoder. Every frame found
// must come out the same when it is framed again and decoded.

#include "execution/link/unitframe.h"
#include "fuzzsupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv::wire;
    if (size < 1)
        return 0;
    Decoder decoder;
    std::vector<Frame> frames;
    const auto sink = [&frames](Frame &&frame) { frames.push_back(std::move(frame)); };
    qv::fuzz::FeedInChunks({data + 1, size - 1}, data[0],
                           [&](std::span<const std::uint8_t> read) { decoder.Feed(read, sink); });
    for (const Frame &frame : frames) {
        std::vector<std::uint8_t> bytes;
        AppendFrame(bytes, frame.kind, frame.code, frame.seq, frame.value, frame.payload);
        Decoder again;
        int found = 0;
        again.Feed(bytes, [&](Frame &&copy) {
            ++found;
            if (copy.kind != frame.kind || copy.code != frame.code || copy.seq != frame.seq ||
                copy.value != frame.value || copy.payload != frame.payload)
                std::abort();
        });
        if (found != 1)
            std::abort();
    }
    return 0;
}
