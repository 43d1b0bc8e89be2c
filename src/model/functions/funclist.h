#pragma once

// The list operations every function list of a test shares (F, S, M, P and
// V functions). A list owns its records, kept in the order they were added
// (ascending number order when loaded from a file), at most one record per
// number. A snapshot is a deep copy taken when a function window opens:
// the window's OK drops it, its Cancel restores it.

#include "model/core/modelfailure.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"

#include <cstdint>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

// How debug mode steps the address word of an F- or M-function before each
// run (the mark of its row in the table).
enum AddressStep : std::int32_t { StepUp = 1, StepDown = 2, StepNone = 3 };

// Functions of each kind a test file can hold: sections are numbered 1..16.
inline constexpr int kMaxFileFunctions = 16;

// Sets the FuncLink (words.h) of word `id` of kind 'i', 'o' or 'g' of the
// test a list is loaded into; a word the test does not have is left alone.
// The reader of the test's sections gives it (WordLinksOf, test/funclinks.h).
using WordLinkFn = std::function<void(char kind, int id, std::int32_t value)>;

template <class Record>
class FuncList
{
public:
    int Count() const { return static_cast<int>(m_records.size()); }
    bool Empty() const { return m_records.empty(); }

    // Position of the record with number n, or -1.
    int IndexOf(int n) const
    {
        for (std::size_t i = 0; i < m_records.size(); ++i) {
            if (m_records[i].Number == n)
                return static_cast<int>(i);
        }
        return -1;
    }

    Record *ByNumber(int n) { return At(IndexOf(n)); }
    const Record *ByNumber(int n) const { return At(IndexOf(n)); }

    // The record at a position; null for -1 or past the end.
    Record *At(int position)
    {
        return InRange(position) ? &m_records[static_cast<std::size_t>(position)] : nullptr;
    }
    const Record *At(int position) const
    {
        return InRange(position) ? &m_records[static_cast<std::size_t>(position)] : nullptr;
    }

    // Appends a record with number n and the record's defaults; a number
    // already listed is accepted unchanged. False only when memory ran out.
    bool Add(int n)
    {
        if (IndexOf(n) >= 0)
            return true;
        try {
            Record record;
            record.Number = n;
            m_records.push_back(std::move(record));
            return true;
        } catch (const std::bad_alloc &) {
            MemoryFailure();
            return false;
        }
    }

    // Copies every field of record into the listed record of the same
    // number. An unknown number is an internal failure: the list stays as
    // it is and false is returned.
    bool Replace(const Record &record)
    {
        Record *target = ByNumber(record.Number);
        if (!target) {
            ReportInternalFailure(std::string(m_className) + "::Replace");
            return false;
        }
        *target = record;
        return true;
    }

    // A deep copy of the whole list (replacing an earlier one). When memory
    // runs out the copy stops at the records already copied.
    void Snapshot()
    {
        m_snapshot.emplace();
        try {
            m_snapshot->reserve(m_records.size());
            for (const Record &record : m_records)
                m_snapshot->push_back(record);
        } catch (const std::bad_alloc &) {
            MemoryFailure();
        }
    }
    bool HasSnapshot() const { return m_snapshot.has_value(); }
    void DropSnapshot() { m_snapshot.reset(); }
    // Makes the copy current; without a copy the list stays as it is.
    void RestoreSnapshot()
    {
        if (!m_snapshot)
            return;
        m_records = std::move(*m_snapshot);
        m_snapshot.reset();
    }

    void Clear() { m_records.clear(); }

    // One character per record, in list order, whose code is its number.
    std::string Numbers() const
    {
        std::string text;
        for (const Record &record : m_records)
            text.push_back(static_cast<char>(record.Number));
        return text;
    }

    const std::vector<Record> &Records() const { return m_records; }
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

protected:
    explicit FuncList(std::string_view className)
        : m_className(className)
    {}

    // For n = 1..16, when the section prefix + n exists: adds record n and
    // calls read(n, section). Numbers outside 1..16 are never read.
    template <class Read>
    void ForEachFileSection(const IniStore &ini, std::string_view prefix, Read &&read)
    {
        for (int n = 1; n <= kMaxFileFunctions; ++n) {
            const std::string section = NumberedName(prefix, n);
            if (ini.SectionExists(section) && Add(n))
                read(n, section);
        }
    }

    void MemoryFailure() const
    {
        ReportMemoryFailure("Недостаточно памяти для функций теста (" + std::string(m_className) +
                            ")");
    }

    bool InRange(int position) const
    {
        return position >= 0 && position < static_cast<int>(m_records.size());
    }

    std::string_view m_className; // names the list in failure texts
    std::vector<Record> m_records;
    std::optional<std::vector<Record>> m_snapshot;
};

} // namespace qv
