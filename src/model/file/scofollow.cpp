#include "model/file/scofollow.h"

#include "infra/safefile.h"
#include "model/core/records.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"
#include "model/test/sqor.h"
#include "model/test/stest.h"

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

namespace qv {
namespace {

// The same bound the load applies.
constexpr std::uint64_t kScoFileLimit = 16 * kMiB;

using Key = std::tuple<long, long, long>; // test, function, cycle

Key KeyOf(const SScoRecord &record)
{
    const ScoRecordKey key = ParseScoRecordName(record.name);
    return {key.test, key.function, key.cycle};
}

Key KeyOf(const HeldReference &held)
{
    return {held.test, held.function, held.cycle};
}

// A record the next load hands to a V-function of a saved test.
bool Governed(const Key &key, int testCount)
{
    const auto [test, function, cycle] = key;
    return test >= 1 && test <= testCount && function >= 1 && function <= kMaxFileFunctions &&
           cycle >= 1 && cycle <= kVCycles;
}

SScoRecord RecordOf(const HeldReference &held)
{
    return {ScoRecordName(held.test, held.function, held.cycle), *held.samples, held.params};
}

bool LoadMissedTheFile(const SQor &doc)
{
    for (int i = 0; i < doc.NTest && i < kMaxTests; ++i) {
        const STest *test = doc.Tests[static_cast<std::size_t>(i)].get();
        if (test != nullptr && !test->VFuncs.FailureText().empty())
            return true;
    }
    return false;
}

std::string FileNameOf(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

std::vector<HeldReference> HeldReferences(const SQor &doc)
{
    std::vector<HeldReference> held;
    for (int i = 0; i < doc.NTest && i < kMaxTests; ++i) {
        const STest *test = doc.Tests[static_cast<std::size_t>(i)].get();
        if (test == nullptr)
            continue;
        for (int position = 0; position < test->VFuncs.Count(); ++position) {
            const SFuncV &v = *test->VFuncs.At(position);
            if (v.Number < 1 || v.Number > kMaxFileFunctions)
                continue;
            for (std::size_t c = 0; c < v.Reference.size(); ++c) {
                if (!v.Reference[c])
                    continue;
                held.push_back({i + 1, v.Number, static_cast<int>(c) + 1, v.Reference[c],
                                ScoParamBlock(v.SavedSweep[c], v.SavedScale[c])});
            }
        }
    }
    return held;
}

std::optional<std::vector<SScoRecord>>
RecordsFollowingFunctions(const std::vector<SScoRecord> &stored,
                          const std::vector<HeldReference> &held, int testCount)
{
    std::map<Key, const HeldReference *> heldByKey;
    for (const HeldReference &reference : held)
        heldByKey.try_emplace(KeyOf(reference), &reference);
    // The record a load finds for a key is its first one.
    std::map<Key, std::size_t> first;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const Key key = KeyOf(stored[i]);
        if (Governed(key, testCount))
            first.try_emplace(key, i);
    }
    std::set<Key> changed;
    for (const auto &[key, index] : first) {
        const auto found = heldByKey.find(key);
        if (found == heldByKey.end() || *found->second->samples != stored[index].samples)
            changed.insert(key);
    }
    for (const auto &[key, reference] : heldByKey) {
        if (!first.contains(key))
            changed.insert(key);
    }
    if (changed.empty())
        return std::nullopt;

    std::vector<SScoRecord> records;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const Key key = KeyOf(stored[i]);
        if (!Governed(key, testCount) || !changed.contains(key)) {
            records.push_back(stored[i]);
            continue;
        }
        // A changed number keeps the place of its first record; its other
        // records (never read) go with the old waveform.
        const auto found = heldByKey.find(key);
        if (found != heldByKey.end() && first.at(key) == i)
            records.push_back(RecordOf(*found->second));
    }
    for (const HeldReference &reference : held) {
        if (!first.contains(KeyOf(reference)) && heldByKey.at(KeyOf(reference)) == &reference)
            records.push_back(RecordOf(reference));
    }
    return records;
}

bool KeepReferencesWithFunctions(const SQor &doc, const std::string &path, std::string *error)
{
    if (LoadMissedTheFile(doc))
        return true;
    std::vector<SScoRecord> stored;
    std::error_code missing;
    if (std::filesystem::exists(path, missing)) {
        // A file that cannot be read now keeps what it holds.
        const auto bytes = ReadInputFile(path, kScoFileLimit);
        if (!bytes || ParseScoBytes(*bytes, stored) != ScoReadError::None)
            return true;
    }
    const auto records = RecordsFollowingFunctions(stored, HeldReferences(doc), doc.NTest);
    if (!records)
        return true;
    const auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    if (records->size() > kScoMaxRecords)
        return fail("Осциллограмм больше, чем вмещает файл \"" + FileNameOf(path) + "\" (" +
                    std::to_string(kScoMaxRecords) + "); файл не записан");
    try {
        FileStore().Replace(path, BuildScoBytes(*records));
    } catch (const WriteFailure &) {
        return fail("Не удалось записать файл \"" + FileNameOf(path) + "\"");
    }
    return true;
}

} // namespace qv
