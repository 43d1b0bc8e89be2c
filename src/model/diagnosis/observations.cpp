#include "model/diagnosis/observations.h"

#include "model/content/tablecontent.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <set>

namespace qv::diagnosis {

namespace {

struct Bus
{
    int width = 0;
    std::array<std::uint8_t, kMaxBits> contacts{};
};

Bus BusOf(const SQor &file, const SWord &word)
{
    Bus bus;
    const std::string definition = file.Tyres.Definition(word.Tyre);
    if (word.Tyre < 0 || word.Tyre >= file.Tyres.Count())
        return bus;
    bus.width = std::min<int>(static_cast<int>(definition.size()), kMaxBits);
    for (int i = 0; i < bus.width; ++i) {
        const int contact = static_cast<unsigned char>(definition[static_cast<std::size_t>(i)]);
        bus.contacts[static_cast<std::size_t>(i)] =
            contact >= 1 && contact <= kContacts ? static_cast<std::uint8_t>(contact) : 0;
    }
    return bus;
}

std::uint16_t MaskOf(const SWord &word, int width)
{
    return word.Code == 0 && width > 0 ? static_cast<std::uint16_t>(0xFFFFu >> (16 - width)) : 0;
}

void Drive(Levels &levels, const Bus &bus, std::uint16_t wire)
{
    for (int i = 0; i < bus.width; ++i) {
        if (const int c = bus.contacts[static_cast<std::size_t>(i)]; c != 0)
            levels[static_cast<std::size_t>(c)] = (wire >> i) & 1u;
    }
}

std::optional<std::int32_t> ValueOf(std::string_view text, int index)
{
    const auto piece = ValueTextAt(text, index);
    return piece ? ParseValue(*piece) : std::nullopt;
}

// The value an input word applies in a cycle, as the unit gets it: the
// run values, one for a constant word, the last one past their end.
std::uint16_t AppliedValue(const SWord &word, int cycle)
{
    const std::string_view text = word.Run.empty() ? word.Data : word.Run;
    const int count = CountValues(text);
    if (count == 0)
        return 0;
    const int index = word.IsConstant() ? 0 : std::clamp(cycle, 0, count - 1);
    return static_cast<std::uint16_t>(ValueOf(text, index).value_or(0));
}

std::uint16_t ExpectedValue(const SWord &word, int cycle)
{
    return static_cast<std::uint16_t>(ValueOf(word.Data, cycle).value_or(0));
}

// The first level line whose level changes at tact c: the one change a
// "-" tact of the program carries.
void LevelChange(const STest &test, int c, Levels &levels)
{
    const auto at = static_cast<std::size_t>(c);
    for (const TLine &line : test.Tacts.Lines()) {
        const char now = at < line.Levels.size() ? line.Levels[at] : ' ';
        const char before = at - 1 < line.Levels.size() ? line.Levels[at - 1] : ' ';
        if (now == before)
            continue;
        if (line.Contact >= 0 && line.Contact < kContacts)
            levels[static_cast<std::size_t>(line.Contact + 1)] = now == '-';
        return;
    }
}

class Walk
{
public:
    Walk(const SQor &file, const STest &test, int testIndex, std::string_view words, bool debug,
         bool reference)
        : m_file(file)
        , m_test(test)
        , m_index(testIndex)
        , m_words(words)
        , m_debug(debug)
        , m_reference(reference)
    {}

    std::vector<ReadObservation> Run()
    {
        Levels levels;
        levels.set();
        levels[0] = false;
        for (const TLine &line : m_test.Tacts.Lines()) {
            if (line.Contact >= 0 && line.Contact < kContacts)
                levels[static_cast<std::size_t>(line.Contact + 1)] = false;
        }
        const int cycles = m_debug ? 1 : m_test.Cycles;
        for (int k = 0; k < cycles; ++k)
            Cycle(k, levels);
        return std::move(m_reads);
    }

private:
    std::pair<int, int> Range(int k) const
    {
        const int n = m_test.Tacts.TactCount();
        if (!m_debug)
            return CycleTacts(m_test, k, false);
        const int first = std::clamp(m_test.DebugFirst, 0, std::max(n - 1, 0));
        return {first, std::clamp(m_test.DebugLast, first, std::max(n - 1, 0))};
    }

    void Cycle(int k, Levels &levels)
    {
        const int cycle = m_debug ? m_test.ActiveCycle : k;
        const auto [first, last] = Range(k);
        std::string taken;
        const std::string &d1 = m_test.Tacts.D1;
        // Tact 1 carries nothing to the unit: the program starts from it.
        for (int c = std::max(first, 1); c <= last && c < static_cast<int>(d1.size()); ++c) {
            const char letter = d1[static_cast<std::size_t>(c)];
            const int id = m_test.Tacts.ItemAt(c);
            if (letter == '-') {
                LevelChange(m_test, c, levels);
            } else if (letter == 'i') {
                if (const SWord *word = m_test.IWords.Find(id)) {
                    const Bus bus = BusOf(m_file, *word);
                    Drive(levels, bus, AppliedValue(*word, cycle) ^ MaskOf(*word, bus.width));
                }
            } else if ((letter == 'o' || letter == 'O') && m_test.OWords.Find(id)) {
                const SWord &word = *m_test.OWords.Find(id);
                const Bus bus = BusOf(m_file, word);
                Drive(levels, bus, ExpectedValue(word, cycle) ^ MaskOf(word, bus.width));
                if (Wanted(id) && taken.find(static_cast<char>(id)) == std::string::npos) {
                    taken += static_cast<char>(id);
                    Take(word, bus, cycle, c + 1, levels);
                }
            }
        }
        for (const char c : m_words) {
            const SWord *word = m_test.OWords.Find(static_cast<unsigned char>(c));
            if (word == nullptr || taken.find(c) != std::string::npos)
                continue;
            Levels at = levels;
            const Bus bus = BusOf(m_file, *word);
            Drive(at, bus, ExpectedValue(*word, cycle) ^ MaskOf(*word, bus.width));
            Take(*word, bus, cycle, 0, at);
        }
    }

    bool Wanted(int id) const { return m_words.find(static_cast<char>(id)) != std::string::npos; }

    void Take(const SWord &word, const Bus &bus, int cycle, int tact, const Levels &levels)
    {
        ReadObservation r;
        r.test = m_index;
        r.word = word.Id;
        r.cycle = cycle;
        r.tact = tact;
        r.width = bus.width;
        r.contacts = bus.contacts;
        r.mask = MaskOf(word, bus.width);
        const std::uint16_t keep =
            bus.width > 0 ? static_cast<std::uint16_t>(0xFFFFu >> (16 - bus.width)) : 0;
        r.expected = static_cast<std::uint16_t>((ExpectedValue(word, cycle) ^ r.mask) & keep);
        if (m_reference) {
            r.read = r.expected;
        } else if (const auto value = ValueOf(word.Run, cycle)) {
            r.read =
                static_cast<std::uint16_t>((static_cast<std::uint16_t>(*value) ^ r.mask) & keep);
        }
        r.levels = levels;
        m_reads.push_back(r);
    }

    const SQor &m_file;
    const STest &m_test;
    int m_index;
    std::string_view m_words;
    bool m_debug;
    bool m_reference;
    std::vector<ReadObservation> m_reads;
};

void AddBus(std::set<int> &contacts, const SQor &file, const SWord *word)
{
    if (word == nullptr)
        return;
    const Bus bus = BusOf(file, *word);
    for (int i = 0; i < bus.width; ++i) {
        if (const int c = bus.contacts[static_cast<std::size_t>(i)]; c != 0)
            contacts.insert(c);
    }
}

} // namespace

std::vector<ReadObservation> ObserveTest(const SQor &file, const STest &test, int testIndex,
                                         std::string_view words, bool debug)
{
    return Walk(file, test, testIndex, words, debug, false).Run();
}

std::vector<ReadObservation> ReferenceReads(const SQor &file, const STest &test, int testIndex,
                                            std::string_view words)
{
    return Walk(file, test, testIndex, words, false, true).Run();
}

std::string OutputWordsRead(const STest &test)
{
    std::string ids;
    const std::string &d1 = test.Tacts.D1;
    for (int c = 0; c < static_cast<int>(d1.size()); ++c) {
        const char letter = d1[static_cast<std::size_t>(c)];
        const int id = test.Tacts.ItemAt(c);
        if ((letter == 'o' || letter == 'O') && id > 0 && test.OWords.Find(id) &&
            ids.find(static_cast<char>(id)) == std::string::npos)
            ids += static_cast<char>(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<int> ContactsOfTest(const SQor &file, const STest &test)
{
    std::set<int> contacts;
    for (const int c : DrivenContactsOfTest(file, test))
        contacts.insert(c);
    for (const int c : ReadContactsOfTest(file, test))
        contacts.insert(c);
    return {contacts.begin(), contacts.end()};
}

std::vector<int> DrivenContactsOfTest(const SQor &file, const STest &test)
{
    std::set<int> contacts;
    for (const TLine &line : test.Tacts.Lines()) {
        if (line.Contact >= 0 && line.Contact < kContacts)
            contacts.insert(line.Contact + 1);
    }
    const std::string &d1 = test.Tacts.D1;
    for (int c = 0; c < static_cast<int>(d1.size()); ++c) {
        const char letter = d1[static_cast<std::size_t>(c)];
        if (letter == 'i')
            AddBus(contacts, file, test.IWords.Find(test.Tacts.ItemAt(c)));
    }
    return {contacts.begin(), contacts.end()};
}

std::vector<int> ReadContactsOfTest(const SQor &file, const STest &test)
{
    std::set<int> contacts;
    for (const char id : OutputWordsRead(test))
        AddBus(contacts, file, test.OWords.Find(static_cast<unsigned char>(id)));
    return {contacts.begin(), contacts.end()};
}

} // namespace qv::diagnosis
