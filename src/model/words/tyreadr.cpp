#include "model/words/tyreadr.h"

#include "model/io/bytesource.h"

namespace qv {

bool TTyreAdr::Add(std::string_view definition)
{
    if (m_definitions.size() >= kMaxBuses || definition.size() > kMaxDefinition) {
        return false;
    }
    m_definitions.emplace_back(definition);
    return true;
}

int TTyreAdr::Width(int index) const
{
    if (index < 0 || index >= Count()) {
        return 0;
    }
    return static_cast<int>(m_definitions[static_cast<std::size_t>(index)].size());
}

std::string TTyreAdr::Definition(int index) const
{
    if (index < 0 || index >= Count()) {
        return "Z";
    }
    return m_definitions[static_cast<std::size_t>(index)];
}

void TTyreAdr::Read(ByteSource &source)
{
    Clear();
    const int count = source.ReadByte();
    for (int i = 0; i < count; ++i) {
        const std::size_t length = source.ReadByte();
        m_definitions.push_back(source.ReadBytes(length));
    }
}

void TTyreAdr::Write(std::string &out) const
{
    out.push_back(static_cast<char>(m_definitions.size()));
    for (const auto &definition : m_definitions) {
        out.push_back(static_cast<char>(definition.size()));
        out += definition;
    }
}

} // namespace qv
