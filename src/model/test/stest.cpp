#include "model/test/stest.h"

#include <algorithm>

namespace qv {

void STest::EnsureProbeArrays()
{
    const auto cycles = static_cast<std::size_t>(std::max(Cycles, 0));
    if (Probes.size() < cycles) {
        Probes.resize(cycles);
    }
    if (ProbeFlags.size() < cycles) {
        ProbeFlags.resize(cycles, 0);
    }
}

} // namespace qv
