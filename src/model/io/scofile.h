#pragma once

// The oscillogram file: the reference waveforms of every V-function of a
// test file, kept beside it with the extension ".sco".
//
// Layout (integers little-endian, texts in Windows-1251):
//   0   26  magic "©Skopel USB - осциллограф " (ends in a space, no terminator)
//   26  2   record count N, at most 1024
//   28  ..  N records: 1 byte name length L, L bytes name "T<test>_v<function>_ц<cycle>"
//           (numbers 1-based, decimal), 1000 samples, 20 bytes parameter block
//           (int32 amplitude index + 4, 2, 2, 0, sweep index)
//   end-4 4 checksum: reflected CRC-32 (0xEDB88320), initial 0xFFFFFFFF, no
//           final inversion, over every byte before it
//
// SScoFile is the state of that file during one load or one save: the
// records read (each taken once, in load order, by the V-function lists)
// and the records staged for writing.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::size_t kWaveformSamples = 1000;
// One recorded screen: sample 0 at the bottom, 255 at the top.
using Waveform = std::array<std::uint8_t, kWaveformSamples>;
// Waveforms never change once recorded or read, so copies of a V-function
// (window snapshots) share them; null = no waveform.
using WaveformRef = std::shared_ptr<const Waveform>;

inline constexpr std::size_t kScoMagicSize = 26;
inline constexpr std::size_t kScoMinSize = 32; // magic, count, checksum
inline constexpr std::size_t kScoMaxRecords = 1024;
inline constexpr std::size_t kScoParamBlockSize = 20;

// The file's CRC: the bitwise complement of the usual CRC-32.
std::uint32_t ScoChecksum(std::string_view bytes);
// The record name in Windows-1251 bytes.
std::string ScoRecordName(int test, int function, int cycle);

enum class ScoReadError {
    None,
    Read,      // missing file, failed read, a record running past the end
    Structure, // shorter than 32 bytes, more than 1024 records
    Checksum,  // wrong magic, or the stored checksum does not match
};

// The parameter block of a record: the setting the samples were taken
// under (amplitude index + 4, 2, 2, 0, sweep index).
using ScoParams = std::array<std::int32_t, 5>;
ScoParams ScoParamBlock(int sweep, int amplitude);

// One record as the file stores it.
struct SScoRecord
{
    std::string name; // Windows-1251 bytes, at most 255
    Waveform samples{};
    ScoParams params{};
};

// The numbers of a record name; 0 where a number is missing. Numbers are
// read as the "%i" conversion reads them (a leading 0 means octal).
struct ScoRecordKey
{
    long test = 0;
    long function = 0;
    long cycle = 0;
};
ScoRecordKey ParseScoRecordName(std::string_view name);

// The records of a whole file in file order, with every check of a load;
// records is untouched unless the result is None.
ScoReadError ParseScoBytes(std::string_view bytes, std::vector<SScoRecord> &records);
// The bytes of a file holding records (at most 65535 of them).
std::string BuildScoBytes(const std::vector<SScoRecord> &records);

// The operator's text for a failed read of path (its name is shown), ending
// in "\r\nОсциллограммы для V-функции будут пропущены".
std::string ScoFailureMessage(ScoReadError error, const std::string &path);

class SScoFile
{
public:
    enum class State { NotRead, Read, Failed };

    // Reads the whole file; on success the records are ready for
    // TakeReference, on failure nothing is (and State says Failed, so that
    // the rest of the load does not try again).
    ScoReadError ReadScoFile(const std::string &path);
    State ReadState() const { return m_state; }
    std::size_t RecordCount() const { return m_references.size(); }

    // The samples of the record for (test, function, cycle), all 1-based,
    // or null. The search goes round once from just after the last match, so
    // records stored in load order are found in one step each.
    WaveformRef TakeReference(int test, int function, int cycle);

    // Appends a record to the staging buffer (test, function, cycle 1-based).
    void StageWaveform(int test, int function, int cycle, const Waveform &samples, int sweep,
                       int amplitude);
    const std::vector<SScoRecord> &Staged() const { return m_staged; }
    std::size_t StagedCount() const { return m_staged.size(); }

    // Writes the staged records to path, replacing the file whole (through
    // FileStore, so a failed write leaves the old one).
    // With nothing staged the file is left untouched. Either way the state
    // is reset. False (with the reason in *error) when the write failed or
    // more records were staged than a file may hold.
    bool WriteScoFile(const std::string &path, std::string *error = nullptr);

    // Forgets what was read and drops the staging buffer.
    void ResetScoState();

private:
    struct Reference
    {
        ScoRecordKey key;
        WaveformRef samples;
    };

    State m_state = State::NotRead;
    std::vector<Reference> m_references;
    std::size_t m_scan = 0;
    std::vector<SScoRecord> m_staged;
};

// The application's oscillogram state, shared by the V-function lists of
// every test during a load or a save.
SScoFile &ScoFile();

} // namespace qv
