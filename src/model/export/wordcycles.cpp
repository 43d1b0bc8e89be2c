#include "model/export/wordcycles.h"

#include "model/test/stest.h"

namespace qv {

std::string_view WordCycle::ResultName() const
{
    if (!read)
        return "not-read";
    return Wrong() ? "wrong" : "ok";
}

std::vector<WordCycle> WordCycles(const STest &test, int id, bool checked)
{
    std::vector<WordCycle> cycles;
    const SWord *word = test.OWords.Find(id);
    if (word == nullptr)
        return cycles;
    for (int c = 0; c < test.Cycles; ++c) {
        WordCycle cycle;
        cycle.cycle = c;
        cycle.reference = test.OWords.ValueAt(id, word->IsConstant() ? 0 : c, ValueSet::Reference);
        cycle.read = test.OWords.ValueAt(id, c, ValueSet::Run);
        cycle.checked = checked;
        cycles.push_back(cycle);
    }
    return cycles;
}

} // namespace qv
