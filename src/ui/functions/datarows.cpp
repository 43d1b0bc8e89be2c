#include "ui/functions/datarows.h"

#include "infra/helpers.h"
#include "model/functions/funcf.h"
#include "model/test/funclinks.h"
#include "model/test/stest.h"
#include "model/words/words.h"

#include <algorithm>

namespace qv::functions {

DataSources FSources(const STest &test, const TTyreAdr &tyres, const SFuncF &function, int base)
{
    DataSources sources;
    sources.addressed = true;
    sources.start = function.AdrStart;
    sources.inc = std::max<std::int64_t>(function.AdrInc, 1);
    sources.end = function.AdrEnd;
    sources.base = base;
    const char kind = function.Type == 1 ? 'i' : 'o';
    const auto word = DecodeWordCode(function.DatWord);
    const int width = word ? WordBusWidth(test, tyres, kind, word->id) : 0;
    sources.bits = width > 0 ? width : 8;
    sources.elementSize = std::min(DataElementSize(width), 2);
    return sources;
}

DataSources SSources(int base)
{
    DataSources sources;
    sources.base = base;
    return sources;
}

DataRows::DataRows(DataSources sources)
    : m_sources(std::move(sources))
{
    if (!m_sources.run) {
        m_fileOnly = m_sources.file.has_value();
        m_sources.run = std::move(m_sources.file);
        m_sources.file.reset();
    }
    m_count = std::max(Elements(m_sources.run), Elements(m_sources.file));
    if (m_sources.addressed) {
        const std::int64_t span = m_sources.end - m_sources.start;
        const auto addresses = span < 0 ? 0 : static_cast<std::size_t>(span / m_sources.inc + 1);
        m_count = std::min(m_count, addresses);
    }
}

std::size_t DataRows::Elements(const std::optional<std::vector<std::uint8_t>> &block) const
{
    return block ? block->size() / static_cast<std::size_t>(m_sources.elementSize) : 0;
}

std::optional<std::uint32_t>
DataRows::ElementOf(const std::optional<std::vector<std::uint8_t>> &block, std::size_t row) const
{
    if (!block)
        return std::nullopt;
    return DataElementAt(*block, row, m_sources.elementSize);
}

std::int64_t DataRows::AddressOf(std::size_t row) const
{
    const auto k = static_cast<std::int64_t>(row);
    return m_sources.addressed ? m_sources.start + k * m_sources.inc : k;
}

std::optional<std::uint32_t> DataRows::RunAt(std::size_t row) const
{
    return ElementOf(m_sources.run, row);
}

std::optional<std::uint32_t> DataRows::FileAt(std::size_t row) const
{
    return ElementOf(m_sources.file, row);
}

bool DataRows::Differs(std::size_t row) const
{
    const auto run = RunAt(row);
    const auto file = FileAt(row);
    return run && file && *run != *file;
}

std::size_t DataRows::ComparedCount() const
{
    if (!TwoSources())
        return 0;
    return std::min({Elements(m_sources.run), Elements(m_sources.file), m_count});
}

std::vector<std::size_t> DataRows::Differences(std::size_t from, std::size_t to) const
{
    std::vector<std::size_t> rows;
    for (std::size_t row = from; row < std::min(to, ComparedCount()); ++row) {
        if (Differs(row))
            rows.push_back(row);
    }
    return rows;
}

std::string DataRows::InBase(std::int64_t value) const
{
    return m_sources.base == 8 ? IntToOct(value) : IntToHexA(value);
}

std::string DataRows::InBinary(std::uint32_t value) const
{
    return IntToBin(value, m_sources.bits);
}

} // namespace qv::functions
