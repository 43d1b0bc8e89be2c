#include "model/ini/inistore.h"

#include "infra/helpers.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace qv {

std::string FoldName(std::string_view name)
{
    bool ascii = true;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii)
        return ToUpperText(name);
    std::string out(name);
    for (char &c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return out;
}

namespace {

// Folded key -> entry position within one section. Most sections hold a
// handful of keys, found by a scan of their folded names without any
// allocation; a section that grows past kScanLimit keys (a diagram with its
// lines) gets a hash table as well: open addressing over the positions, so
// that a key costs no allocation of its own.
class KeyIndex
{
public:
    static constexpr std::size_t kNone = ~std::size_t{0};

    std::size_t Find(std::string_view folded) const
    {
        if (m_slots.empty()) {
            for (std::size_t i = 0; i < m_folded.size(); ++i) {
                if (m_folded[i] == folded)
                    return i;
            }
            return kNone;
        }
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = Hash(folded) & mask;; slot = (slot + 1) & mask) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == kEmpty)
                return kNone;
            if (m_folded[entry - 1] == folded)
                return entry - 1;
        }
    }

    // The key of the next entry (positions follow the entries' order).
    void Append(std::string folded)
    {
        m_folded.push_back(std::move(folded));
        if (m_folded.size() <= kScanLimit)
            return;
        // At most half full, so that probes stay short.
        if (m_folded.size() * 2 > m_slots.size()) {
            m_slots.assign(std::max<std::size_t>(64, m_slots.size() * 2), kEmpty);
            for (std::size_t i = 0; i < m_folded.size(); ++i)
                Insert(i);
        } else {
            Insert(m_folded.size() - 1);
        }
    }

private:
    static constexpr std::size_t kScanLimit = 16;
    static constexpr std::uint32_t kEmpty = 0; // slots hold position + 1

    static std::size_t Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }

    void Insert(std::size_t position)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = Hash(m_folded[position]) & mask;
        while (m_slots[slot] != kEmpty)
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<std::uint32_t>(position + 1);
    }

    std::vector<std::string> m_folded;
    std::vector<std::uint32_t> m_slots; // empty while the keys are scanned
};

} // namespace

// Folded section name -> section position, and per section folded key ->
// entry position, rebuilt when positions shift.
struct IniStore::Index
{
    std::unordered_map<std::string, std::size_t> sections;
    std::vector<KeyIndex> keys;
};

IniStore::IniStore()
    : m_index(std::make_unique<Index>())
{}

IniStore::~IniStore() = default;

IniStore::IniStore(const IniStore &other)
    : m_sections(other.m_sections)
    , m_index(std::make_unique<Index>(*other.m_index))
{}

IniStore &IniStore::operator=(const IniStore &other)
{
    if (this != &other) {
        m_sections = other.m_sections;
        m_index = std::make_unique<Index>(*other.m_index);
    }
    return *this;
}

IniStore::IniStore(IniStore &&other) noexcept
    : m_sections(std::move(other.m_sections))
    , m_index(std::move(other.m_index))
{
    other.m_index = std::make_unique<Index>();
    other.m_sections.clear();
}

IniStore &IniStore::operator=(IniStore &&other) noexcept
{
    if (this != &other) {
        m_sections = std::move(other.m_sections);
        m_index = std::move(other.m_index);
        other.m_index = std::make_unique<Index>();
        other.m_sections.clear();
    }
    return *this;
}

void IniStore::Clear()
{
    m_sections.clear();
    m_index = std::make_unique<Index>();
    m_lastWritten = static_cast<std::size_t>(-1);
}

const IniStore::Section *IniStore::FindSection(std::string_view name) const
{
    const auto it = m_index->sections.find(FoldName(name));
    return it == m_index->sections.end() ? nullptr : &m_sections[it->second];
}

IniStore::Section *IniStore::FindSection(std::string_view name)
{
    const auto it = m_index->sections.find(FoldName(name));
    return it == m_index->sections.end() ? nullptr : &m_sections[it->second];
}

IniStore::Section &IniStore::SectionFor(std::string_view name)
{
    auto folded = FoldName(name);
    const auto it = m_index->sections.find(folded);
    if (it != m_index->sections.end())
        return m_sections[it->second];
    m_index->sections.emplace(std::move(folded), m_sections.size());
    m_index->keys.emplace_back();
    m_sections.push_back(Section{std::string(name), {}});
    return m_sections.back();
}

void IniStore::Reindex()
{
    auto index = std::make_unique<Index>();
    index->keys.resize(m_sections.size());
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        index->sections.emplace(FoldName(m_sections[s].name), s);
        const auto &entries = m_sections[s].entries;
        for (const auto &entry : entries)
            index->keys[s].Append(FoldName(entry.key));
    }
    m_index = std::move(index);
}

bool IniStore::SectionExists(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

const std::string *IniStore::Value(std::string_view section, std::string_view key) const
{
    const auto sit = m_index->sections.find(FoldName(section));
    if (sit == m_index->sections.end())
        return nullptr;
    const std::size_t position = m_index->keys[sit->second].Find(FoldName(key));
    if (position == KeyIndex::kNone)
        return nullptr;
    return &m_sections[sit->second].entries[position].value;
}

std::optional<std::string> IniStore::Find(std::string_view section, std::string_view key) const
{
    const std::string *value = Value(section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

bool IniStore::ValueExists(std::string_view section, std::string_view key) const
{
    return Find(section, key).has_value();
}

std::string IniStore::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const
{
    auto value = Find(section, key);
    return value ? std::move(*value) : std::string(def);
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    // One sign only: "--5" is no number (from_chars would take "-5").
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::int64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (base == 16 && !negative && result <= 0xFFFFFFFFLL && result > INT32_MAX)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    if (result < INT32_MIN || result > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(result);
}

std::int32_t IniStore::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const
{
    const auto value = Find(section, key);
    return value ? ParseIniInteger(*value).value_or(def) : def;
}

bool IniStore::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    const auto value = Find(section, key);
    if (!value)
        return def;
    const auto folded = FoldName(*value);
    if (folded == "1" || folded == "TRUE")
        return true;
    if (folded == "0" || folded == "FALSE")
        return false;
    return def;
}

void IniStore::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    // Writers put many keys into one section in a row: the section of the
    // last write is taken again without folding its name.
    if (m_lastWritten >= m_sections.size() || m_sections[m_lastWritten].name != section) {
        m_lastWritten = static_cast<std::size_t>(&SectionFor(section) - m_sections.data());
    }
    WriteEntry(m_lastWritten, key, value);
}

void IniStore::WriteEntry(std::size_t sIndex, std::string_view key, std::string_view value)
{
    Section &s = m_sections[sIndex];
    auto &keys = m_index->keys[sIndex];
    auto folded = FoldName(key);
    const std::size_t position = keys.Find(folded);
    if (position != KeyIndex::kNone) {
        s.entries[position].value.assign(value);
        return;
    }
    keys.Append(std::move(folded));
    s.entries.push_back(Entry{std::string(key), std::string(value)});
}

void IniStore::WriteInteger(std::string_view section, std::string_view key, std::int64_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniStore::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniStore::DeleteKey(std::string_view section, std::string_view key)
{
    Section *s = FindSection(section);
    if (s == nullptr)
        return;
    const auto folded = FoldName(key);
    const auto before = s->entries.size();
    std::erase_if(s->entries, [&](const Entry &e) { return FoldName(e.key) == folded; });
    if (s->entries.size() != before)
        Reindex();
}

void IniStore::EraseSection(std::string_view section)
{
    const auto folded = FoldName(section);
    const auto before = m_sections.size();
    std::erase_if(m_sections, [&](const Section &s) { return FoldName(s.name) == folded; });
    if (m_sections.size() != before)
        Reindex();
}

std::vector<std::string> IniStore::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const Section *s = FindSection(section)) {
        keys.reserve(s->entries.size());
        for (const auto &e : s->entries)
            keys.push_back(e.key);
    }
    return keys;
}

std::vector<std::string> IniStore::ReadSections() const
{
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const auto &s : m_sections)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> IniStore::GetStrings() const
{
    std::vector<std::string> lines;
    for (const auto &s : m_sections) {
        lines.push_back("[" + s.name + "]");
        for (const auto &e : s.entries) {
            if (e.key.empty() && e.value.empty())
                continue;
            lines.push_back(e.key + "=" + e.value);
        }
    }
    return lines;
}

void IniStore::SetStrings(const std::vector<std::string> &lines)
{
    Clear();
    std::size_t current = kNoSection;
    for (const std::string_view line : lines)
        ParseLine(line, current);
}

void IniStore::ParseLine(std::string_view line, std::size_t &current)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty())
        return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        Section &s = SectionFor(line.substr(1, line.size() - 2));
        current = static_cast<std::size_t>(&s - m_sections.data());
        return;
    }
    if (current == kNoSection) {
        Section &s = SectionFor("");
        current = static_cast<std::size_t>(&s - m_sections.data());
    }
    const auto eq = line.find('=');
    const std::string_view key = eq == std::string_view::npos ? line : line.substr(0, eq);
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    WriteEntry(current, key, value);
}

std::string IniStore::ToText() const
{
    // Built in one buffer: the container writes blocks of tens of kilobytes.
    std::size_t size = 0;
    for (const auto &s : m_sections) {
        size += s.name.size() + 4;
        for (const auto &e : s.entries)
            size += e.key.size() + e.value.size() + 3;
    }
    std::string text;
    text.reserve(size);
    for (const auto &s : m_sections) {
        text += '[';
        text += s.name;
        text += "]\r\n";
        for (const auto &e : s.entries) {
            if (e.key.empty() && e.value.empty())
                continue;
            text += e.key;
            text += '=';
            text += e.value;
            text += "\r\n";
        }
    }
    return text;
}

void IniStore::FromText(std::string_view text)
{
    Clear();
    std::size_t current = kNoSection;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ParseLine(text.substr(start, end - start), current);
        start = end + 1;
    }
}

} // namespace qv
