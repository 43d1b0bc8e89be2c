#pragma once

// What the data window of an F- or S-function lists: the block the last run
// handed over and the function's data file, element by element. With the
// file only, the file takes the place of the run block and the window has
// one source.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct SFuncF;
struct STest;
class TTyreAdr;

namespace functions {

struct DataSources
{
    // F-function: rows are the addresses start, start + inc, .. up to end
    // (no more than the larger source holds). S-function: byte indices.
    bool addressed = false;
    std::int64_t start = 0;
    std::int64_t inc = 1;
    std::int64_t end = 0;
    int elementSize = 1; // bytes, 1 or 2, little-endian
    int bits = 8;        // digits of the binary form
    int base = 16;       // 8 or 16
    std::optional<std::vector<std::uint8_t>> run;
    std::optional<std::vector<std::uint8_t>> file;
};

// The sources of an F-function: the element size from the bus of its data
// word (an i-word for FR, an o-word for FW and FC).
DataSources FSources(const STest &test, const TTyreAdr &tyres, const SFuncF &function, int base);
// The sources of an S-function: single bytes.
DataSources SSources(int base);

class DataRows
{
public:
    // With a file and no run block the file becomes the run block.
    explicit DataRows(DataSources sources);

    bool TwoSources() const { return m_sources.file.has_value(); }
    // The data file is the only source (it took the run block's place).
    bool FileOnly() const { return m_fileOnly; }
    const DataSources &Sources() const { return m_sources; }
    std::size_t Count() const { return m_count; }

    std::int64_t AddressOf(std::size_t row) const;
    std::optional<std::uint32_t> RunAt(std::size_t row) const;
    std::optional<std::uint32_t> FileAt(std::size_t row) const;
    // The data file's element of a row, wherever the file is shown.
    std::optional<std::uint32_t> FileDataAt(std::size_t row) const
    {
        return m_fileOnly ? RunAt(row) : FileAt(row);
    }
    // Both sources have an element for the row and they differ.
    bool Differs(std::size_t row) const;
    // Rows both sources have: the shorter source's element count.
    std::size_t ComparedCount() const;
    // Every differing row among rows [from, to), compared over the shorter
    // source. Indices are not cut to 16 bits: a 1 MiB file lists all its
    // differences.
    std::vector<std::size_t> Differences(std::size_t from, std::size_t to) const;
    std::vector<std::size_t> Differences() const { return Differences(0, ComparedCount()); }

    // A value in the number base, and as `bits` binary digits.
    std::string InBase(std::int64_t value) const;
    std::string InBinary(std::uint32_t value) const;

private:
    std::size_t Elements(const std::optional<std::vector<std::uint8_t>> &block) const;
    std::optional<std::uint32_t> ElementOf(const std::optional<std::vector<std::uint8_t>> &block,
                                           std::size_t row) const;

    DataSources m_sources;
    std::size_t m_count = 0;
    bool m_fileOnly = false;
};

} // namespace functions
} // namespace qv
