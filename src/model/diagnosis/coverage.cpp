#include "model/diagnosis/coverage.h"

#include "model/diagnosis/diagnosis.h"
#include "model/diagnosis/observations.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace qv::diagnosis {

namespace {

// The reads a golden board gives one test, indexed for the fault checks
// (the index refers to the reads: the record does not move).
struct TestReads
{
    explicit TestReads(std::vector<ReadObservation> golden)
        : reads(std::move(golden))
        , index(reads)
    {}
    TestReads(const TestReads &) = delete;
    TestReads &operator=(const TestReads &) = delete;

    std::vector<ReadObservation> reads;
    ReadIndex index;
};

// Neighbours: contacts on adjacent bits of a bus that a test's words use.
void AddNeighbours(std::map<int, std::set<int>> &neighbours, const SQor &file, const SWord *word)
{
    if (word == nullptr)
        return;
    const std::string bus = file.Tyres.Definition(word->Tyre);
    if (word->Tyre < 0 || word->Tyre >= file.Tyres.Count())
        return;
    for (std::size_t i = 1; i < bus.size() && i < kMaxBits; ++i) {
        const int a = static_cast<unsigned char>(bus[i - 1]);
        const int b = static_cast<unsigned char>(bus[i]);
        if (a >= 1 && a <= kContacts && b >= 1 && b <= kContacts && a != b) {
            neighbours[a].insert(b);
            neighbours[b].insert(a);
        }
    }
}

void BusesOfTest(std::map<int, std::set<int>> &neighbours, const SQor &file, const STest &test)
{
    const std::string &d1 = test.Tacts.D1;
    for (int c = 0; c < static_cast<int>(d1.size()); ++c) {
        const char letter = d1[static_cast<std::size_t>(c)];
        const int id = test.Tacts.ItemAt(c);
        if (letter == 'i')
            AddNeighbours(neighbours, file, test.IWords.Find(id));
        else if (letter == 'o' || letter == 'O')
            AddNeighbours(neighbours, file, test.OWords.Find(id));
    }
}

} // namespace

bool ContactCoverage::Blind() const
{
    return !stuckLow && !stuckHigh &&
           std::none_of(bridges.begin(), bridges.end(),
                        [](const BridgeCoverage &b) { return b.bridgeAnd || b.bridgeOr; });
}

int Coverage::Percent() const
{
    return faults == 0 ? 100 : detected * 100 / faults;
}

std::vector<Fault> Coverage::Faults(bool wantDetected) const
{
    std::vector<Fault> out;
    for (const ContactCoverage &c : contacts) {
        if (c.stuckLow == wantDetected)
            out.push_back(StuckFault(c.contact, false));
        if (c.stuckHigh == wantDetected)
            out.push_back(StuckFault(c.contact, true));
        for (const BridgeCoverage &b : c.bridges) {
            if (b.with < c.contact)
                continue; // each short once
            if (b.bridgeAnd == wantDetected)
                out.push_back(PairFault(FaultKind::BridgeAnd, c.contact, b.with));
            if (b.bridgeOr == wantDetected)
                out.push_back(PairFault(FaultKind::BridgeOr, c.contact, b.with));
        }
    }
    return out;
}

std::vector<int> Coverage::BlindContacts() const
{
    std::vector<int> blind;
    for (const ContactCoverage &c : contacts) {
        if (c.Blind())
            blind.push_back(c.contact);
    }
    return blind;
}

Coverage CoverageOf(const SQor &file, const std::vector<int> &tests)
{
    Coverage coverage;
    std::vector<std::unique_ptr<TestReads>> all;
    std::set<int> driven, read;
    std::map<int, std::set<int>> neighbours;
    for (const int t : tests) {
        if (t < 0 || t >= file.NTest || !file.Tests[static_cast<std::size_t>(t)])
            continue;
        const STest &test = *file.Tests[static_cast<std::size_t>(t)];
        coverage.tests.push_back(t);
        all.push_back(
            std::make_unique<TestReads>(ReferenceReads(file, test, t, OutputWordsRead(test))));
        for (const int c : DrivenContactsOfTest(file, test))
            driven.insert(c);
        for (const int c : ReadContactsOfTest(file, test))
            read.insert(c);
        BusesOfTest(neighbours, file, test);
    }
    const auto seen = [&all](const Fault &fault) {
        return std::any_of(all.begin(), all.end(),
                           [&fault](const auto &r) { return r->index.Contradicts(fault); });
    };
    std::set<int> contacts = driven;
    contacts.insert(read.begin(), read.end());
    std::map<std::pair<int, int>, BridgeCoverage> shorts; // each pair checked once
    for (const int contact : contacts) {
        ContactCoverage c;
        c.contact = contact;
        c.read = read.contains(contact);
        c.driven = driven.contains(contact);
        c.stuckLow = seen(StuckFault(contact, false));
        c.stuckHigh = seen(StuckFault(contact, true));
        coverage.faults += 2;
        coverage.detected += (c.stuckLow ? 1 : 0) + (c.stuckHigh ? 1 : 0);
        for (const int with : neighbours[contact]) {
            const std::pair key{std::min(contact, with), std::max(contact, with)};
            auto found = shorts.find(key);
            if (found == shorts.end()) {
                BridgeCoverage b;
                b.bridgeAnd = seen(PairFault(FaultKind::BridgeAnd, contact, with));
                b.bridgeOr = seen(PairFault(FaultKind::BridgeOr, contact, with));
                coverage.faults += 2;
                coverage.detected += (b.bridgeAnd ? 1 : 0) + (b.bridgeOr ? 1 : 0);
                found = shorts.emplace(key, b).first;
            }
            BridgeCoverage b = found->second;
            b.with = with;
            c.bridges.push_back(b);
        }
        coverage.contacts.push_back(std::move(c));
    }
    return coverage;
}

} // namespace qv::diagnosis
