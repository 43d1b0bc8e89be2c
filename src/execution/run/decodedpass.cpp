#include "execution/run/decodedpass.h"

#include "execution/compiler/dosdata.h"

namespace qv {

DecodedPass::DecodedPass(const TQuorvik &doc, const Dosdata &compiler, int number,
                         const std::vector<int> &failedTests,
                         const std::vector<diagnosis::WrongRead> &wrongReads)
    : m_doc(doc)
    , m_compiler(compiler)
    , m_number(number)
    , m_failedTests(failedTests)
    , m_wrongReads(wrongReads)
{}

const RunVerdict &DecodedPass::Verdict() const
{
    if (m_verdict)
        return *m_verdict;
    RunVerdict &verdict = m_verdict.emplace();
    verdict.kind = m_failedTests.empty() ? RunVerdict::Passed : RunVerdict::Errors;
    verdict.passes = m_number;
    verdict.failingPasses = m_failedTests.empty() ? 0 : 1;
    verdict.failedTests = m_failedTests;
    RecordTests(m_compiler, verdict);
    std::vector<CountedWords> failed;
    for (const int test : m_failedTests)
        if (const TestRunLists *lists = m_compiler.ListsOf(test))
            failed.push_back(CountedWordsOf(*lists));
    if (!failed.empty())
        verdict.statistics.CountPass(1, m_doc, failed);
    else
        verdict.statistics.CountCleanPass(1);
    return verdict;
}

} // namespace qv
