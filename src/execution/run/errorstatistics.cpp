#include "execution/run/errorstatistics.h"

#include "execution/compiler/runlists.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {

// The tact (1-based) of the cycle that reads the word; 0 when none does.
int TactReading(const STest &test, int cycle, int id, bool debug)
{
    const auto [first, last] = CycleTacts(test, cycle, debug);
    for (int tact = first; tact <= last; ++tact) {
        const char letter = test.Tacts.D1[static_cast<std::size_t>(tact)];
        if ((letter == 'o' || letter == 'O') && test.Tacts.ItemAt(tact) == id)
            return tact + 1;
    }
    return 0;
}

constexpr int kMaxBits = 16; // a word has at most 16 bits

// Counts a failing pass once; the tact is looked up for the first only.
template <typename TactOf>
void Tally(ErrorTally &tally, int pass, int cycle, const TactOf &tactOf)
{
    if (tally.lastPass == pass)
        return;
    ++tally.failingPasses;
    if (tally.firstPass == 0) {
        tally.firstPass = pass;
        tally.cycle = cycle;
        tally.tact = tactOf(cycle);
    }
    tally.lastPass = pass;
}

} // namespace

CountedWords CountedWordsOf(const TestRunLists &lists)
{
    CountedWords counted{lists.test, lists.oWords, {}};
    for (const char id : lists.oWords) {
        if (TestRunLists::Has(lists.nList, static_cast<unsigned char>(id)))
            counted.ignored += id;
    }
    return counted;
}

void ErrorStatistics::CountPass(int pass, const TQuorvik &doc,
                                const std::vector<CountedWords> &failedTests)
{
    m_passes = std::max(m_passes, pass);
    m_wrong.clear();
    for (const CountedWords &counted : failedTests) {
        for (const char c : counted.words) {
            if (counted.ignored.find(c) == std::string::npos)
                CountWord(pass, doc, counted.test, static_cast<unsigned char>(c), m_wrong);
        }
    }
    if (!m_wrong.empty())
        KeepPattern(pass);
}

void ErrorStatistics::KeepPattern(int pass)
{
    // A board that fails the same way in every pass reads the same values
    // in the same order: such a pass joins the last pattern at the cost of
    // one comparison, without sorting or a look-up.
    if (m_lastPattern < m_patterns.size() && m_wrong == m_lastWrong) {
        m_patterns[m_lastPattern].passes.push_back(pass);
        return;
    }
    m_lastWrong = m_wrong;
    std::vector<diagnosis::WrongRead> wrong = m_wrong;
    std::sort(wrong.begin(), wrong.end());
    auto [found, fresh] = m_patternIndex.try_emplace(wrong, m_patterns.size());
    if (fresh)
        m_patterns.push_back({std::move(wrong), {}});
    m_lastPattern = found->second;
    m_patterns[m_lastPattern].passes.push_back(pass);
}

diagnosis::RunPasses ErrorStatistics::FailingPasses() const
{
    return {m_passes, m_patterns};
}

void ErrorStatistics::CountWord(int pass, const TQuorvik &doc, int testIndex, int id,
                                std::vector<diagnosis::WrongRead> &wrong)
{
    const STest *test = doc.Test(testIndex);
    const SWord *word = test ? test->OWords.Find(id) : nullptr;
    if (word == nullptr)
        return;
    // The texts are split once; the wrong bits of all cycles are gathered
    // first, so that each word and bit is looked up once per pass.
    const std::vector<std::string_view> reference = SplitValues(word->Data);
    const std::vector<std::string_view> read = SplitValues(word->Run);
    const int width = std::min(doc.Doc().Tyres.Width(word->Tyre), kMaxBits);
    std::array<int, kMaxBits> firstCycleOfBit{}; // 1-based; 0 = right in every cycle
    int firstCycle = 0;
    std::uint32_t seen = 0;
    for (std::size_t c = 0; c < read.size(); ++c) {
        const std::size_t r = word->IsConstant() ? 0 : c;
        const auto value = ParseValue(read[c]);
        std::optional<std::int32_t> expected;
        if (r < reference.size())
            expected = ParseValue(reference[r]);
        if (!value || value == expected)
            continue;
        const int cycle = static_cast<int>(c) + 1;
        wrong.push_back({testIndex, id, static_cast<int>(c), *value});
        if (firstCycle == 0)
            firstCycle = cycle;
        const std::int32_t reference32 = expected ? *expected : 0;
        std::uint32_t fresh = static_cast<std::uint32_t>(*value ^ reference32) & ~seen;
        seen |= fresh;
        for (int bit = 0; fresh != 0 && bit < width; ++bit, fresh >>= 1) {
            if (fresh & 1U)
                firstCycleOfBit[static_cast<std::size_t>(bit)] = cycle;
        }
    }
    if (firstCycle == 0)
        return;
    const auto tactOf = [&](int cycle) {
        return TactReading(*test, cycle - 1, id, doc.DebugMode());
    };
    const int wordKey = (testIndex * 256 + id) * (kMaxBits + 1);
    auto [words, newWord] = m_index.try_emplace(wordKey, m_words.size());
    if (newWord)
        m_words.push_back(WordErrors{testIndex, id, word->Name, {}});
    Tally(m_words[words->second].tally, pass, firstCycle, tactOf);

    const std::string bus = doc.Doc().Tyres.Definition(word->Tyre);
    for (int bit = 0; bit < width; ++bit) {
        const int cycle = firstCycleOfBit[static_cast<std::size_t>(bit)];
        if (cycle == 0)
            continue;
        auto [contacts, newContact] = m_index.try_emplace(wordKey + 1 + bit, m_contacts.size());
        if (newContact) {
            const int contact = static_cast<unsigned char>(bus[static_cast<std::size_t>(bit)]);
            const bool named =
                contact >= 1 && static_cast<std::size_t>(contact) <= doc.Cnt().Names.size();
            m_contacts.push_back(ContactErrors{
                testIndex,
                contact,
                named ? doc.Cnt().Names[static_cast<std::size_t>(contact - 1)] : std::string(),
                id,
                bit,
                {}});
        }
        Tally(m_contacts[contacts->second].tally, pass, cycle, tactOf);
    }
}

} // namespace qv
