#pragma once

// The in-memory INI store that carries one block of a test file (and the
// settings files) between bytes and the model.
//
// Sections keep the order in which they were first written, and so do the
// keys of a section; writing an existing key changes its value in place.
// Section and key names compare without regard to letter case (Latin and
// Cyrillic). A read of an absent key yields the caller's default.
//
// Text is UTF-8 here; the owner of the bytes converts at the boundary.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

class IniStore
{
public:
    struct Entry
    {
        std::string key;
        std::string value;
    };

    struct Section
    {
        std::string name;
        std::vector<Entry> entries;
    };

    IniStore();
    ~IniStore();
    IniStore(const IniStore &other);
    IniStore &operator=(const IniStore &other);
    IniStore(IniStore &&) noexcept;
    IniStore &operator=(IniStore &&) noexcept;

    void Clear();

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // A value that is not a whole decimal number (optionally signed, or
    // "0x"-prefixed hex) within 32 bits yields the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // "1"/"0" and "true"/"false" in any letter case; anything else yields def.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    // The raw value, or nullopt when the key is absent.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The same without a copy: the stored value, or null when the key is
    // absent; valid until the store next changes.
    const std::string *Value(std::string_view section, std::string_view key) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    // Key names of a section in their order (empty for an absent section).
    std::vector<std::string> ReadSection(std::string_view section) const;
    std::vector<std::string> ReadSections() const;
    const std::vector<Section> &Sections() const { return m_sections; }

    // Content as lines: "[Section]" headers and "Key=Value" lines, no empty
    // lines. SetStrings replaces the content with parsed lines: a line
    // "[name]" opens a section, "key=value" adds a key to the current one;
    // empty lines are skipped, a trailing CR is dropped, lines before the
    // first header belong to a section with an empty name, a line without
    // '=' becomes a key with an empty value.
    std::vector<std::string> GetStrings() const;
    void SetStrings(const std::vector<std::string> &lines);

    // The content as one text with CR LF after every line, and its parse.
    std::string ToText() const;
    void FromText(std::string_view text);

private:
    struct Index;

    Section *FindSection(std::string_view name);
    const Section *FindSection(std::string_view name) const;
    Section &SectionFor(std::string_view name);
    void WriteEntry(std::size_t sectionIndex, std::string_view key, std::string_view value);
    // One line of text; `current` is the index of the section it adds to.
    static constexpr std::size_t kNoSection = ~std::size_t{0};
    void ParseLine(std::string_view line, std::size_t &current);
    void Reindex();

    std::vector<Section> m_sections;
    std::unique_ptr<Index> m_index;
    std::size_t m_lastWritten = static_cast<std::size_t>(-1); // section of the last WriteString
};

// An INI integer value: decimal with an optional sign, or hexadecimal after
// "0x" or "$" (up to 32 bits, read as its two's complement); nullopt for an
// empty text and anything else.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// Upper-cased key for the case-blind comparisons of names.
std::string FoldName(std::string_view name);

} // namespace qv
