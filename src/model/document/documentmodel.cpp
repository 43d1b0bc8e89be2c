#include "model/document/documentmodel.h"

#include "infra/helpers.h"
#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/test/sqor.h"

#include <algorithm>

namespace qv {
namespace {

const STest *TestAt(const SQor &doc, int index)
{
    return index >= 0 && index < kMaxTests ? doc.Tests[static_cast<std::size_t>(index)].get()
                                           : nullptr;
}

} // namespace

std::uint16_t WordMask(const SQor &doc, char kind, int id, int testIndex)
{
    if (kind == 'g') {
        return 0;
    }
    if (kind != 'i' && kind != 'o') {
        throw InternalError("TQuorvik::WordMask");
    }
    const STest *test = TestAt(doc, testIndex);
    const TWord *list = test ? (kind == 'i' ? &test->IWords : &test->OWords) : nullptr;
    const SWord *word = list ? list->Find(id) : nullptr;
    if (!word || word->Code != 0) {
        return 0;
    }
    const int width = doc.Tyres.Width(word->Tyre);
    return width <= 0 ? 0 : static_cast<std::uint16_t>(0xFFFFu >> (16 - std::min(width, 16)));
}

int ValueFitsWord(const SQor &doc, const STest &test, std::int64_t value, int wordRef)
{
    int width = 0;
    if (wordRef < 1000) {
        width = test.IWords.BusWidth(wordRef, doc.Tyres);
    } else if (wordRef < 2000) {
        width = test.OWords.BusWidth(wordRef - 1000, doc.Tyres);
    } else {
        return -1;
    }
    return value > Math(2, width, 0) - 1 ? 13 : -1;
}

void ResetWordRuns(STest &test)
{
    test.IWords.ResetRun(test.Cycles);
    // Only generator words of a known kind carry run values of their own.
    for (int position = 0; position < test.GWords.Count(); ++position) {
        SWord &word = *test.GWords.At(position);
        if (GKindOf(word) != GKind::Undefined) {
            word.Run = ReferenceRun(word, test.Cycles);
        }
    }
}

void EnterDebugRanges(SQor &doc)
{
    for (const auto &test : doc.Tests) {
        if (test) {
            test->DebugFirst = 0;
            test->DebugLast = test->Tacts.TactCount() - 1;
        }
    }
}

void AddDefaultProbes(STest &test)
{
    test.EnsureProbeArrays();
    const auto tacts = static_cast<std::size_t>(test.Tacts.TactCount());
    for (auto &entries : test.Probes) {
        if (entries.empty()) {
            entries.push_back(DefaultProbe(tacts));
        }
    }
}

} // namespace qv
