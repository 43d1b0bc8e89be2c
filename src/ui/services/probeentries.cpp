#include "ui/services/probeentries.h"

#include "model/test/stest.h"

#include <algorithm>

namespace qv::services {
namespace {

std::vector<SZond> *ActiveEntries(STest &test)
{
    test.EnsureProbeArrays();
    const auto cycle = static_cast<std::size_t>(test.ActiveCycle);
    if (test.ActiveCycle < 0 || cycle >= test.Probes.size())
        return nullptr;
    return &test.Probes[cycle];
}

void SetCurrent(STest &test, int index)
{
    const auto cycle = static_cast<std::size_t>(test.ActiveCycle);
    if (cycle < test.ProbeFlags.size())
        test.ProbeFlags[cycle] = index;
}

} // namespace

std::string NextProbeName(const std::vector<SZond> &entries)
{
    for (int n = 1;; ++n) {
        std::string name = std::string(kDefaultProbeName) + std::to_string(n);
        const bool used = std::any_of(entries.begin(), entries.end(),
                                      [&name](const SZond &entry) { return entry.Name == name; });
        if (!used)
            return name;
    }
}

int CurrentProbe(const STest &test)
{
    const auto cycle = static_cast<std::size_t>(test.ActiveCycle);
    if (test.ActiveCycle < 0 || cycle >= test.ProbeFlags.size())
        return 0;
    const int current = test.ProbeFlags[cycle];
    return current >= 0 && current < test.ProbeCount(test.ActiveCycle) ? current : 0;
}

int AddProbe(STest &test)
{
    std::vector<SZond> *entries = ActiveEntries(test);
    if (entries == nullptr)
        return -1;
    const auto tacts = static_cast<std::size_t>(std::max(0, test.Tacts.TactCount()));
    if (entries->empty())
        entries->push_back(DefaultProbe(tacts));
    SZond entry;
    entry.Name = NextProbeName(*entries);
    entry.Measured.assign(tacts, 'x');
    entry.Reference.assign(tacts, 'x');
    entry.On = false;
    entry.Mark = -1;
    entries->push_back(std::move(entry));
    const int index = static_cast<int>(entries->size()) - 1;
    SetCurrent(test, index);
    return index;
}

ProbeRefusal DeleteProbe(STest &test)
{
    std::vector<SZond> *entries = ActiveEntries(test);
    if (entries == nullptr || entries->size() <= 1)
        return ProbeRefusal::OnlyOne;
    const int current = CurrentProbe(test);
    if (current == 0)
        return ProbeRefusal::FirstProbe;
    entries->erase(entries->begin() + current);
    SetCurrent(test, std::min(current, static_cast<int>(entries->size()) - 1));
    return ProbeRefusal::None;
}

ProbeRefusal DeleteAllProbes(STest &test)
{
    std::vector<SZond> *entries = ActiveEntries(test);
    if (entries == nullptr || entries->size() <= 1)
        return ProbeRefusal::OnlyOne;
    entries->resize(1);
    entries->front().On = false;
    SetCurrent(test, 0);
    return ProbeRefusal::None;
}

} // namespace qv::services
