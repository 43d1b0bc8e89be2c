#include "model/io/scofile.h"

#include "infra/safefile.h"
#include "model/io/bytesource.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qv {
namespace {

// Far above what kScoMaxRecords records of kWaveformSamples samples take:
// only a file that cannot be an oscillogram file is refused by it.
constexpr std::uint64_t kScoFileLimit = 16 * kMiB;

// "©Skopel USB - осциллограф " in Windows-1251.
constexpr std::string_view kMagic =
    "\xA9Skopel USB - \xEE\xF1\xF6\xE8\xEB\xEB\xEE\xE3\xF0\xE0\xF4 ";
static_assert(kMagic.size() == kScoMagicSize);
constexpr std::size_t kCountOffset = kScoMagicSize;
constexpr std::size_t kRecordsOffset = kCountOffset + 2;
constexpr std::size_t kChecksumSize = 4;
// "_ц" in Windows-1251.
constexpr std::string_view kCycleMark = "_\xF6";

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();

std::uint32_t ReadU32At(std::string_view bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
    return value;
}

// Reads an integer the way the "%i" conversion does: optional sign, then
// decimal, "0x" hexadecimal or leading-zero octal digits. Advances text.
std::optional<long> ScanInteger(std::string_view &text)
{
    const std::string buffer(text.substr(0, 32));
    const char *begin = buffer.c_str();
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 0);
    if (end == begin || errno == ERANGE)
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - begin));
    return value;
}

bool Expect(std::string_view &text, std::string_view literal)
{
    if (!text.starts_with(literal))
        return false;
    text.remove_prefix(literal.size());
    return true;
}

std::string FileNameOf(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

std::uint32_t ScoChecksum(std::string_view bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = kCrcTable[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::string ScoRecordName(int test, int function, int cycle)
{
    std::string name = "T";
    name += std::to_string(test);
    name += "_v";
    name += std::to_string(function);
    name += kCycleMark;
    name += std::to_string(cycle);
    return name;
}

ScoParams ScoParamBlock(int sweep, int amplitude)
{
    return {amplitude + 4, 2, 2, 0, sweep};
}

ScoRecordKey ParseScoRecordName(std::string_view name)
{
    ScoRecordKey key;
    long *const numbers[] = {&key.test, &key.function, &key.cycle};
    constexpr std::array<std::string_view, 3> marks = {"T", "_v", kCycleMark};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (!Expect(name, marks[i]))
            break;
        const auto value = ScanInteger(name);
        if (!value)
            break;
        *numbers[i] = *value;
    }
    return key;
}

std::string ScoFailureMessage(ScoReadError error, const std::string &path)
{
    const std::string name = FileNameOf(path);
    std::string text;
    switch (error) {
    case ScoReadError::None:
        return {};
    case ScoReadError::Read:
        text = "Не удалось загрузить файл \"" + name + "\"";
        break;
    case ScoReadError::Structure:
        text = "Файл \"" + name + "\" поврежден. Неправильная структура файла";
        break;
    case ScoReadError::Checksum:
        text = "Файл \"" + name + "\" поврежден. Несовпадает контрольная сумма";
        break;
    }
    return text + "\r\nОсциллограммы для V-функции будут пропущены";
}

ScoReadError ParseScoBytes(std::string_view bytes, std::vector<SScoRecord> &records)
{
    if (bytes.size() < kScoMinSize)
        return ScoReadError::Structure;
    if (bytes.substr(0, kScoMagicSize) != kMagic)
        return ScoReadError::Checksum;
    const std::size_t count = static_cast<unsigned char>(bytes[kCountOffset]) |
                              std::size_t{static_cast<unsigned char>(bytes[kCountOffset + 1])} << 8;
    if (count > kScoMaxRecords)
        return ScoReadError::Structure;
    // A damaged file must not pass for references: the stored checksum is
    // verified before any record is taken.
    const std::size_t body = bytes.size() - kChecksumSize;
    if (ScoChecksum(bytes.substr(0, body)) != ReadU32At(bytes, body))
        return ScoReadError::Checksum;

    std::vector<SScoRecord> parsed;
    parsed.reserve(count);
    std::size_t pos = kRecordsOffset;
    for (std::size_t i = 0; i < count; ++i) {
        if (pos >= body)
            return ScoReadError::Read;
        const std::size_t nameLength = static_cast<unsigned char>(bytes[pos++]);
        if (body - pos < nameLength + kWaveformSamples + kScoParamBlockSize)
            return ScoReadError::Read;
        SScoRecord &record = parsed.emplace_back();
        record.name = bytes.substr(pos, nameLength);
        pos += nameLength;
        std::memcpy(record.samples.data(), bytes.data() + pos, kWaveformSamples);
        pos += kWaveformSamples;
        for (std::size_t k = 0; k < record.params.size(); ++k)
            record.params[k] = static_cast<std::int32_t>(ReadU32At(bytes, pos + 4 * k));
        pos += kScoParamBlockSize;
    }
    records = std::move(parsed);
    return ScoReadError::None;
}

std::string BuildScoBytes(const std::vector<SScoRecord> &records)
{
    std::string bytes(kMagic);
    AppendU16(bytes, static_cast<std::uint16_t>(records.size()));
    for (const SScoRecord &record : records) {
        const std::string_view name = std::string_view(record.name).substr(0, 255);
        bytes.push_back(static_cast<char>(name.size()));
        bytes += name;
        bytes.append(reinterpret_cast<const char *>(record.samples.data()), record.samples.size());
        for (const std::int32_t value : record.params)
            AppendU32(bytes, static_cast<std::uint32_t>(value));
    }
    AppendU32(bytes, ScoChecksum(bytes));
    return bytes;
}

ScoReadError SScoFile::ReadScoFile(const std::string &path)
{
    m_references.clear();
    m_scan = 0;
    m_state = State::Failed;
    // A folder, a pipe or a device of that name is refused like an unreadable
    // file (never waited on); the test file loads without references.
    const auto read = ReadInputFile(path, kScoFileLimit);
    if (!read)
        return ScoReadError::Read;
    const std::string &bytes = *read;
    std::vector<SScoRecord> records;
    const ScoReadError error = ParseScoBytes(bytes, records);
    if (error != ScoReadError::None)
        return error;
    for (SScoRecord &record : records) {
        // A record without all three numbers cannot be found by anyone.
        const ScoRecordKey key = ParseScoRecordName(record.name);
        if (key.test != 0 && key.function != 0 && key.cycle != 0)
            m_references.push_back({key, std::make_shared<const Waveform>(record.samples)});
    }
    m_state = State::Read;
    return ScoReadError::None;
}

WaveformRef SScoFile::TakeReference(int test, int function, int cycle)
{
    const std::size_t size = m_references.size();
    for (std::size_t step = 0; step < size; ++step) {
        const std::size_t index = (m_scan + step) % size;
        const ScoRecordKey &key = m_references[index].key;
        if (key.test == test && key.function == function && key.cycle == cycle) {
            m_scan = (index + 1) % size;
            return m_references[index].samples;
        }
    }
    return nullptr;
}

void SScoFile::StageWaveform(int test, int function, int cycle, const Waveform &samples, int sweep,
                             int amplitude)
{
    m_staged.push_back(
        {ScoRecordName(test, function, cycle), samples, ScoParamBlock(sweep, amplitude)});
}

bool SScoFile::WriteScoFile(const std::string &path, std::string *error)
{
    const auto finish = [&](std::string why) {
        if (error)
            *error = why;
        ResetScoState();
        return why.empty();
    };
    if (m_staged.empty())
        return finish({});
    // A file with more records than a reader accepts would lose every
    // reference at the next load; the old file is kept instead.
    if (m_staged.size() > kScoMaxRecords)
        return finish("Осциллограмм больше, чем вмещает файл \"" + FileNameOf(path) + "\" (" +
                      std::to_string(kScoMaxRecords) + "); файл не записан");
    try {
        FileStore().Replace(path, BuildScoBytes(m_staged));
    } catch (const WriteFailure &) {
        return finish("Не удалось записать файл \"" + FileNameOf(path) + "\"");
    }
    return finish({});
}

void SScoFile::ResetScoState()
{
    m_state = State::NotRead;
    m_references.clear();
    m_scan = 0;
    m_staged.clear();
}

SScoFile &ScoFile()
{
    static SScoFile state;
    return state;
}

} // namespace qv
