#include "model/diagnosis/diagnosis.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace qv::diagnosis {

namespace {

using Occurrence = ReadIndex::Occurrence;

std::uint16_t Keep(int width)
{
    return width > 0 ? static_cast<std::uint16_t>(0xFFFFu >> (16 - width)) : 0;
}

std::uint16_t Wire(const ReadObservation &r, std::int32_t value)
{
    return static_cast<std::uint16_t>((static_cast<std::uint16_t>(value) ^ r.mask) & Keep(r.width));
}

using ReadKey = std::tuple<int, int, int>; // test, word, cycle

std::map<ReadKey, int> KeysOf(const std::vector<ReadObservation> &reads)
{
    std::map<ReadKey, int> keys;
    for (std::size_t i = 0; i < reads.size(); ++i)
        keys.emplace(ReadKey{reads[i].test, reads[i].word, reads[i].cycle}, static_cast<int>(i));
    return keys;
}

// The wrong values of the failing passes, where the last pass read right.
void TakeFailingValues(std::vector<ReadObservation> &reads, const std::map<ReadKey, int> &keys,
                       const RunPasses &run)
{
    for (const PassPattern &pattern : run.failing) {
        for (const WrongRead &wrong : pattern.reads) {
            const auto found = keys.find({wrong.test, wrong.word, wrong.cycle});
            if (found == keys.end())
                continue;
            ReadObservation &r = reads[static_cast<std::size_t>(found->second)];
            if (!r.read || *r.read == r.expected)
                r.read = Wire(r, wrong.value);
        }
    }
}

// A set of wrong bits, by their number.
class BitSet
{
public:
    explicit BitSet(std::size_t size = 0)
        : m_words((size + 63) / 64, 0)
    {}
    void Set(std::size_t i) { m_words[i / 64] |= std::uint64_t{1} << (i % 64); }
    bool Test(std::size_t i) const { return (m_words[i / 64] >> (i % 64)) & 1u; }
    std::size_t Count() const
    {
        std::size_t n = 0;
        for (const std::uint64_t w : m_words)
            n += static_cast<std::size_t>(__builtin_popcountll(w));
        return n;
    }
    // Bits of this set that `other` lacks.
    std::size_t CountMissing(const BitSet &other) const
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i < m_words.size(); ++i)
            n += static_cast<std::size_t>(__builtin_popcountll(m_words[i] & ~other.m_words[i]));
        return n;
    }
    BitSet &operator|=(const BitSet &other)
    {
        for (std::size_t i = 0; i < m_words.size(); ++i)
            m_words[i] |= other.m_words[i];
        return *this;
    }

private:
    std::vector<std::uint64_t> m_words;
};

// Faults that predict the same wrong bits, the preferred one first.
struct Group
{
    std::vector<int> bits; // wrong bit numbers, ascending
    std::vector<Fault> faults;
    BitSet set;
};

class Diagnoser
{
public:
    Diagnoser(const std::vector<ReadObservation> &reads, const std::vector<int> &partners)
        : m_reads(reads)
        , m_index(reads)
        , m_partners(partners)
    {
        m_wrongOf.assign(reads.size() * kMaxBits, -1);
        for (std::size_t r = 0; r < reads.size(); ++r) {
            const ReadObservation &read = reads[r];
            if (!read.read)
                continue;
            for (int bit = 0; bit < read.width; ++bit) {
                const int contact = read.contacts[static_cast<std::size_t>(bit)];
                if (contact == 0 || read.Read(bit) == read.Expected(bit))
                    continue;
                m_wrongOf[r * kMaxBits + static_cast<std::size_t>(bit)] =
                    static_cast<int>(m_wrong.size());
                m_wrong.push_back(
                    {read.test, read.word, read.cycle, read.tact, bit, contact, read.Read(bit)});
                m_firstWrong.try_emplace(contact, Occurrence{static_cast<int>(r), bit});
            }
        }
    }

    const std::vector<WrongBit> &Wrong() const { return m_wrong; }

    std::vector<Group> Groups() const
    {
        std::map<std::vector<int>, std::vector<Fault>> groups;
        std::set<Fault> tried;
        for (const auto &[contact, first] : m_firstWrong) {
            for (const Fault &fault : Candidates(contact, first)) {
                if (!tried.insert(fault).second)
                    continue;
                std::vector<int> bits;
                if (Explains(fault, bits) && !bits.empty())
                    groups[bits].push_back(fault);
            }
        }
        std::vector<Group> out;
        for (auto &[bits, faults] : groups) {
            std::sort(faults.begin(), faults.end());
            Group g{bits, faults, BitSet(m_wrong.size())};
            for (const int b : bits)
                g.set.Set(static_cast<std::size_t>(b));
            out.push_back(std::move(g));
        }
        return out;
    }

private:
    // The faults on `contact` that give the level its first wrong bit read.
    std::vector<Fault> Candidates(int contact, Occurrence first) const
    {
        const ReadObservation &r = m_reads[static_cast<std::size_t>(first.read)];
        const bool seen = r.Read(first.bit);
        std::vector<Fault> faults{StuckFault(contact, seen)};
        for (const int partner : m_partners) {
            if (partner == contact || partner < 1 || partner > kContacts)
                continue;
            for (const FaultKind kind :
                 {FaultKind::BridgeAnd, FaultKind::BridgeOr, FaultKind::Swap}) {
                const Fault fault = PairFault(kind, contact, partner);
                if (FaultyLevel(fault, contact, r.levels) == seen)
                    faults.push_back(fault);
            }
        }
        return faults;
    }

    // Whether the fault predicts every read of its contacts; the wrong bits
    // it explains go to `bits`.
    bool Explains(const Fault &fault, std::vector<int> &bits) const
    {
        for (const int contact : {fault.a, fault.b}) {
            if (contact == 0)
                continue;
            for (const Occurrence &o : m_index.Of(contact)) {
                const ReadObservation &r = m_reads[static_cast<std::size_t>(o.read)];
                if (!r.read)
                    continue;
                if (FaultyLevel(fault, contact, r.levels) != r.Read(o.bit))
                    return false;
                const int wrong = m_wrongOf[static_cast<std::size_t>(o.read) * kMaxBits +
                                            static_cast<std::size_t>(o.bit)];
                if (wrong >= 0)
                    bits.push_back(wrong);
            }
        }
        std::sort(bits.begin(), bits.end());
        bits.erase(std::unique(bits.begin(), bits.end()), bits.end());
        return true;
    }

    const std::vector<ReadObservation> &m_reads;
    ReadIndex m_index;
    const std::vector<int> &m_partners;
    std::vector<WrongBit> m_wrong;
    std::vector<int> m_wrongOf;             // per read and bit: the wrong bit's number, -1 for none
    std::map<int, Occurrence> m_firstWrong; // per contact
};

bool Before(const Group &a, const Group &b)
{
    if (a.bits.size() != b.bits.size())
        return a.bits.size() > b.bits.size();
    return a.faults.front() < b.faults.front();
}

// The smallest set of groups that covers every coverable wrong bit: one
// group, else two, else the greedy choice of the group that covers most.
std::vector<const Group *> Cover(const std::vector<Group> &groups, std::size_t wrongBits)
{
    BitSet all(wrongBits);
    for (const Group &g : groups)
        all |= g.set;
    const std::size_t coverable = all.Count();
    std::vector<const Group *> order;
    for (const Group &g : groups)
        order.push_back(&g);
    std::sort(order.begin(), order.end(),
              [](const Group *a, const Group *b) { return Before(*a, *b); });
    if (order.empty())
        return {};
    if (order.front()->bits.size() == coverable)
        return {order.front()};
    // Two groups: the pair that overlaps least; ties go to the preferred.
    const Group *bestA = nullptr;
    const Group *bestB = nullptr;
    std::size_t bestOverlap = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i]->bits.size() * 2 < coverable)
            break; // the larger of a covering pair holds at least half
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            if (all.CountMissing(order[i]->set) > order[j]->bits.size())
                continue;
            BitSet both = order[i]->set;
            both |= order[j]->set;
            if (both.Count() != coverable)
                continue;
            const std::size_t overlap = order[i]->bits.size() + order[j]->bits.size() - coverable;
            if (bestA == nullptr || overlap < bestOverlap) {
                bestA = order[i];
                bestB = order[j];
                bestOverlap = overlap;
            }
        }
    }
    if (bestA != nullptr)
        return {bestA, bestB};
    std::vector<const Group *> chosen;
    BitSet covered(wrongBits);
    while (covered.Count() < coverable) {
        const Group *best = nullptr;
        std::size_t gain = 0;
        for (const Group *g : order) {
            const std::size_t n = g->set.CountMissing(covered);
            if (n > gain) {
                best = g;
                gain = n;
            }
        }
        if (best == nullptr)
            break;
        chosen.push_back(best);
        covered |= best->set;
    }
    return chosen;
}

// The failing passes in which a bit on the fault's contacts read wrong.
std::vector<int> PassesOf(const Fault &fault, const std::vector<ReadObservation> &reads,
                          const std::map<ReadKey, int> &keys, const RunPasses &run)
{
    std::vector<int> passes;
    for (const PassPattern &pattern : run.failing) {
        bool touched = false;
        for (const WrongRead &wrong : pattern.reads) {
            const auto found = keys.find({wrong.test, wrong.word, wrong.cycle});
            if (found == keys.end())
                continue;
            const ReadObservation &r = reads[static_cast<std::size_t>(found->second)];
            const std::uint16_t diff = Wire(r, wrong.value) ^ r.expected;
            for (int bit = 0; bit < r.width && !touched; ++bit)
                touched = ((diff >> bit) & 1u) &&
                          fault.Touches(r.contacts[static_cast<std::size_t>(bit)]);
            if (touched)
                break;
        }
        if (touched)
            passes.insert(passes.end(), pattern.passes.begin(), pattern.passes.end());
    }
    std::sort(passes.begin(), passes.end());
    passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    return passes;
}

} // namespace

ReadIndex::ReadIndex(const std::vector<ReadObservation> &reads)
    : m_reads(reads)
    , m_byContact(kContacts + 1)
{
    for (std::size_t r = 0; r < reads.size(); ++r) {
        for (int bit = 0; bit < reads[r].width; ++bit) {
            const int contact = reads[r].contacts[static_cast<std::size_t>(bit)];
            if (contact >= 1 && contact <= kContacts)
                m_byContact[static_cast<std::size_t>(contact)].push_back(
                    {static_cast<int>(r), bit});
        }
    }
}

const std::vector<ReadIndex::Occurrence> &ReadIndex::Of(int contact) const
{
    static const std::vector<Occurrence> none;
    return contact >= 1 && contact <= kContacts ? m_byContact[static_cast<std::size_t>(contact)]
                                                : none;
}

bool ReadIndex::Contradicts(const Fault &fault) const
{
    for (const int contact : {fault.a, fault.b}) {
        for (const Occurrence &o : Of(contact)) {
            const ReadObservation &r = m_reads[static_cast<std::size_t>(o.read)];
            if (r.read && FaultyLevel(fault, contact, r.levels) != r.Read(o.bit))
                return true;
        }
    }
    return false;
}

Diagnosis Diagnose(std::vector<ReadObservation> reads, const std::vector<int> &partners,
                   const RunPasses &run)
{
    const std::map<ReadKey, int> keys = KeysOf(reads);
    TakeFailingValues(reads, keys, run);
    const Diagnoser diagnoser(reads, partners);
    const std::vector<Group> groups = diagnoser.Groups();
    Diagnosis diagnosis;
    diagnosis.passes = run.passes;
    BitSet explained(diagnoser.Wrong().size());
    for (const Group *g : Cover(groups, diagnoser.Wrong().size())) {
        Hypothesis h;
        h.fault = g->faults.front();
        h.equivalents.assign(g->faults.begin() + 1, g->faults.end());
        for (const int b : g->bits)
            h.bits.push_back(diagnoser.Wrong()[static_cast<std::size_t>(b)]);
        h.passes = PassesOf(h.fault, reads, keys, run);
        explained |= g->set;
        diagnosis.hypotheses.push_back(std::move(h));
    }
    for (std::size_t b = 0; b < diagnoser.Wrong().size(); ++b) {
        if (!explained.Test(b))
            diagnosis.unexplained.push_back(diagnoser.Wrong()[b]);
    }
    return diagnosis;
}

} // namespace qv::diagnosis
