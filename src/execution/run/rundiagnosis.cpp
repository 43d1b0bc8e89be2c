#include "execution/run/rundiagnosis.h"

#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <set>

namespace qv {

diagnosis::Diagnosis DiagnoseRun(const TQuorvik &doc, const std::vector<DiagnosedTest> &tests,
                                 const diagnosis::RunPasses &passes)
{
    std::vector<diagnosis::ReadObservation> reads;
    std::set<int> partners;
    for (const DiagnosedTest &t : tests) {
        const STest *test = doc.Test(t.test);
        if (test == nullptr)
            continue;
        std::string counted;
        for (const char id : t.words) {
            if (t.unchecked.find(id) == std::string::npos)
                counted += id;
        }
        auto testReads = diagnosis::ObserveTest(doc.Doc(), *test, t.test, counted, doc.DebugMode());
        reads.insert(reads.end(), testReads.begin(), testReads.end());
        for (const int c : diagnosis::ContactsOfTest(doc.Doc(), *test))
            partners.insert(c);
    }
    return diagnosis::Diagnose(std::move(reads), {partners.begin(), partners.end()}, passes);
}

} // namespace qv
