#pragma once

// V-functions: an oscillogram of one board signal, taken by the USB probe at
// a given tact in every cycle, with a sweep and an amplitude range chosen
// per cycle. Unlike the other functions they are created, renamed and
// deleted in this program; at most one of a test's V-functions is active
// (recorded). Sections "VFUNCS<n>"; the waveforms live in the oscillogram
// file (scofile.h).

#include "model/functions/funclist.h"
#include "model/io/scofile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;
struct SSaveParam;

inline constexpr int kVCycles = 16;
// A test may hold up to 99 V-functions; only numbers 1..16 are read back.
inline constexpr int kMaxVFunctions = 99;

inline constexpr int kSweepCount = 13;
inline constexpr int kAmplitudeCount = 4;
inline constexpr std::int32_t kDefaultSweep = 4;     // "20 мс"
inline constexpr std::int32_t kDefaultAmplitude = 2; // "25" В

// Texts of the choices, empty out of range: the sweep of a full screen
// ("1,6 мс" .. "10 c") and per division ("80 мкс" ..); the amplitude
// ("2,5" .. "50", shown with " В") and per division ("250 мВ" ..).
std::string_view SweepText(std::int32_t index);
std::string_view SweepPerDivision(std::int32_t index);
std::string_view AmplitudeText(std::int32_t index);
std::string_view AmplitudePerDivision(std::int32_t index);

// The info text in the file: each CR LF becomes the byte 0x07, and back.
std::string InfoToFile(std::string_view info);
std::string InfoFromFile(std::string_view stored);

// "VSWEEP"/"VDIV": one hexadecimal digit per cycle, at most 16 read; the
// cycles after the last digit repeat it, or take def when the text is
// empty. A character that is not a hex digit is reported and every cycle
// takes def.
std::array<std::int32_t, kVCycles> ReadCycleDigits(std::string_view section, std::string_view key,
                                                   std::string_view text, std::int32_t def);
// 16 upper-case hexadecimal digits.
std::string CycleDigitsText(const std::array<std::int32_t, kVCycles> &values);

struct SFuncV
{
    std::int32_t Number = 0; // 1..99 (1..16 survive a save and a load)
    std::string Name;
    std::string Info;                           // lines joined by CR LF
    std::int32_t Tact = 0;                      // 0-based tact at which the waveform is taken
    std::array<std::int32_t, kVCycles> Sweep{}; // sweep index per cycle
    std::array<std::int32_t, kVCycles> Scale{}; // amplitude index per cycle
    // Per cycle: keep the recorded waveform as the new reference on save.
    std::array<bool, kVCycles> KeepCapture{};
    // Per cycle: recorded since the file was opened (null = none).
    std::array<WaveformRef, kVCycles> Captured;
    // The values as read from the test file.
    std::string SavedInfo;
    std::string SavedName;
    std::array<std::int32_t, kVCycles> SavedSweep{};
    std::array<std::int32_t, kVCycles> SavedScale{};
    std::int32_t SavedTact = 0;
    // Per cycle: the reference read from the oscillogram file (null = none).
    std::array<WaveformRef, kVCycles> Reference;

    bool AnyKeepCapture() const;
};

// What the operator enters to add a V-function. Empty optionals are fields
// left blank.
struct SVFuncInput
{
    std::string Name;
    std::optional<std::int32_t> Sweep;     // 0..12
    std::optional<std::int32_t> Amplitude; // 0..3
    std::optional<std::int32_t> Tact;      // 1-based
    std::optional<std::int32_t> Number;    // 1..99
    std::string Info;
};

class TFuncV : public FuncList<SFuncV>
{
public:
    TFuncV()
        : FuncList("TFuncV")
    {}

    // Active function number; 0 = none.
    std::int32_t Active() const { return m_active; }
    void SetActive(std::int32_t n) { m_active = n; }

    // The snapshot also keeps the active function number.
    void Snapshot();
    void DropSnapshot();
    void RestoreSnapshot();

    // Unlinks and frees the record n with its waveforms; an active n leaves
    // no function active. False when n is not listed.
    bool Delete(int n);
    // Exchanges the contents of records a and b, each keeping its number
    // and its place in the list. False when either is not listed.
    bool Swap(int a, int b);
    // Frees every record and resets the oscillogram state.
    void Clear(SScoFile &sco = ScoFile());

    // Reads the sections prefix + 1..16 that exist. The oscillogram file
    // scoPath is read by the first list that needs it during a load; its
    // records for test testIndex (0-based) become the references. Returns
    // false when that read failed: FailureText() then holds the operator's
    // message, built once per list (empty when this list reported before).
    // A malformed value is reported and read as its default.
    bool LoadFromFile(const IniStore &ini, std::string_view prefix, const std::string &scoPath,
                      int testIndex, SScoFile &sco = ScoFile());
    const std::string &FailureText() const { return m_failureText; }

    // One section per record in list order, and the waveforms to keep staged
    // for the oscillogram file. The working values are written when param
    // asks for V-function data and the record keeps a capture; otherwise
    // the values read from the file. Without V-function data nothing is
    // staged, so the stored references stay as they are.
    void SaveToFile(IniStore &ini, std::string_view prefix, int testIndex, const SSaveParam *param,
                    SScoFile &sco = ScoFile()) const;

    // Adding from the operator's entries (tactCount = the test's tacts). A
    // number in use takes the new settings and loses its waveforms. False
    // when refused; *refusal then holds the text to show: a blank field
    // (catalogue 52), a tact outside 1..tactCount (53), a full list of 99
    // functions; it stays empty when memory ran out (already reported).
    bool AddFunction(const SVFuncInput &input, std::int32_t tactCount, std::string *refusal);
    // The lowest number 1..16 not in use, or nullopt when all are.
    std::optional<std::int32_t> LowestFreeNumber() const;
    // "Допустимые номера: " and the free numbers 1..16 joined by ", ".
    std::string FreeNumbersText() const;

private:
    void StageRecord(const SFuncV &record, int testIndex, const SSaveParam *param,
                     bool writeWorking, SScoFile &sco) const;

    std::int32_t m_active = 0;
    std::int32_t m_snapshotActive = 0;
    bool m_reported = false; // this list has shown an oscillogram read failure
    std::string m_failureText;
};

} // namespace qv
