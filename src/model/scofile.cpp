#include "model/scofile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qv {
namespace {

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

std::uint32_t ReadU32(std::string_view bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    return value;
}

void AppendU32(std::string &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Reads an integer the way the "%i" conversion does: optional sign, then
// decimal, "0x" hexadecimal or leading-zero octal digits. Advances text.
std::optional<long> ScanInteger(std::string_view &text)
{
    std::string buffer(text.substr(0, 32));
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
    if (text.substr(0, literal.size()) != literal)
        return false;
    text.remove_prefix(literal.size());
    return true;
}

// Parses "T<test>_v<function>_ц<cycle>"; zeros where a number is missing.
std::array<long, 3> ParseRecordName(std::string_view name)
{
    std::array<long, 3> numbers{};
    constexpr std::array<std::string_view, 3> marks = {"T", "_v", kCycleMark};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (!Expect(name, marks[i]))
            break;
        const auto value = ScanInteger(name);
        if (!value)
            break;
        numbers[i] = *value;
    }
    return numbers;
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

ScoReadError SScoFile::ReadScoFile(const std::string &path)
{
    m_records.clear();
    m_scan = 0;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in)
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ScoReadError error = ScoReadError::Read;
    if (in.good() || in.eof())
        error = Parse(bytes);
    if (error != ScoReadError::None) {
        m_records.clear();
        m_state = State::Failed;
        return error;
    }
    m_state = State::Read;
    return ScoReadError::None;
}

ScoReadError SScoFile::Parse(std::string_view bytes)
{
    if (bytes.size() < kScoMinSize)
        return ScoReadError::Structure;
    if (bytes.substr(0, kScoMagicSize) != kMagic)
        return ScoReadError::Checksum;
    const std::size_t count =
        static_cast<unsigned char>(bytes[kCountOffset]) |
        static_cast<std::size_t>(static_cast<unsigned char>(bytes[kCountOffset + 1])) << 8;
    if (count > kScoMaxRecords)
        return ScoReadError::Structure;
    const std::size_t body = bytes.size() - kChecksumSize;
    if (ScoChecksum(bytes.substr(0, body)) != ReadU32(bytes, body))
        return ScoReadError::Checksum;

    std::size_t pos = kRecordsOffset;
    for (std::size_t i = 0; i < count; ++i) {
        if (pos >= body)
            return ScoReadError::Read;
        const std::size_t nameLength = static_cast<unsigned char>(bytes[pos++]);
        if (body - pos < nameLength + kWaveformSamples + kScoParamBlockSize)
            return ScoReadError::Read;
        const auto numbers = ParseRecordName(bytes.substr(pos, nameLength));
        pos += nameLength;
        if (numbers[0] != 0 && numbers[1] != 0 && numbers[2] != 0) {
            auto samples = std::make_shared<Waveform>();
            std::memcpy(samples->data(), bytes.data() + pos, kWaveformSamples);
            m_records.push_back({static_cast<int>(numbers[0]), static_cast<int>(numbers[1]),
                                 static_cast<int>(numbers[2]), std::move(samples)});
        }
        pos += kWaveformSamples + kScoParamBlockSize;
    }
    return ScoReadError::None;
}

WaveformRef SScoFile::TakeReference(int test, int function, int cycle)
{
    const std::size_t size = m_records.size();
    for (std::size_t step = 0; step < size; ++step) {
        const std::size_t index = (m_scan + step) % size;
        const Record &record = m_records[index];
        if (record.test == test && record.function == function && record.cycle == cycle) {
            m_scan = (index + 1) % size;
            return record.samples;
        }
    }
    return nullptr;
}

void SScoFile::StageWaveform(int test, int function, int cycle, const Waveform &samples, int sweep,
                             int amplitude)
{
    if (m_staging.empty()) {
        m_staging.append(kMagic);
        m_staging.append(2, '\0');
    }
    const std::string name = ScoRecordName(test, function, cycle);
    m_staging.push_back(static_cast<char>(name.size()));
    m_staging.append(name);
    m_staging.append(reinterpret_cast<const char *>(samples.data()), samples.size());
    m_lastParams = {amplitude + 4, 2, 2, 0, sweep};
    for (const std::int32_t value : m_lastParams)
        AppendU32(m_staging, static_cast<std::uint32_t>(value));
    ++m_stagedCount;
}

bool SScoFile::WriteScoFile(const std::string &path, std::string *error)
{
    const auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        ResetScoState();
        return false;
    };
    if (m_stagedCount == 0) {
        ResetScoState();
        return true;
    }
    // A file with more records than a reader accepts would lose every
    // reference at the next load; the old file is kept instead.
    if (m_stagedCount > kScoMaxRecords)
        return fail("Осциллограмм больше, чем вмещает файл \"" + FileNameOf(path) + "\" (" +
                    std::to_string(kScoMaxRecords) + ")");
    m_staging[kCountOffset] = static_cast<char>(m_stagedCount & 0xFF);
    m_staging[kCountOffset + 1] = static_cast<char>((m_stagedCount >> 8) & 0xFF);
    AppendU32(m_staging, ScoChecksum(m_staging));

    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(m_staging.data(), static_cast<std::streamsize>(m_staging.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return fail("Не удалось записать файл \"" + FileNameOf(path) + "\"");
        }
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return fail("Не удалось записать файл \"" + FileNameOf(path) + "\"");
    }
    ResetScoState();
    return true;
}

void SScoFile::ResetScoState()
{
    m_state = State::NotRead;
    m_records.clear();
    m_scan = 0;
    m_staging.clear();
    m_stagedCount = 0;
}

SScoFile &ScoFile()
{
    static SScoFile state;
    return state;
}

} // namespace qv
