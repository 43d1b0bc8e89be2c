#pragma once

// RunCalibration: the frequency and time parameters a run and the wait
// conversion need, as the unit reports them.
//
// A type-1 unit measures three periods T1..T3 (µs); from them come k, the
// time of an elementary I/O operation, and b, the time of one wait pass
// computation. They live in the settings (the values of the last program
// start) and are read from the unit once after each start.
// A type-0 unit reports a wait table T0[N], Tinc[N] (N = 1..16, µs) before
// every run; the table is kept in a 128-byte ".clb" file (T0[1..16] then
// Tinc[1..16], little-endian single precision, no header).

#include "infra/notice.h"
#include "model/words/waitconversion.h"

#include <array>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>

namespace qv {

class ConnectedUnit;
class IComPort;

struct WaitTable
{
    std::array<float, 16> t0{};
    std::array<float, 16> tinc{};
};

inline constexpr std::size_t kWaitTableFileSize = 128;

// The unit's single-precision values: 4 bytes, little-endian. FloatAt reads
// at `offset`, which the caller has checked to lie inside `bytes`.
float FloatAt(std::span<const std::uint8_t> bytes, std::size_t offset);
void PutFloat(std::uint8_t *out, float value);

// The 128 bytes of a ".clb" file, and back (nullopt for a short buffer).
std::array<std::uint8_t, kWaitTableFileSize> WaitTableBytes(const WaitTable &table);
std::optional<WaitTable> WaitTableFromBytes(std::span<const std::uint8_t> bytes);
// Reads the file; nullopt when it is missing or short.
std::optional<WaitTable> LoadWaitTable(const std::filesystem::path &path);
// Writes the file whole through FileStore (a flushed temporary file renamed
// over it, so a killed or failed save leaves the old one); false on failure.
bool SaveWaitTable(const std::filesystem::path &path, const WaitTable &table);

// k and b from the measured periods; nullopt when T1 or T3 is not
// available (all bits set) or not a finite number.
struct IoTiming
{
    double k = 0;
    double b = 0;
};
std::optional<IoTiming> IoTimingFromPeriods(float t1, float t3);

class RunCalibration final : public WaitCalibration
{
public:
    enum Held : int { NotHeld = 0, Held = 1, Warned = 2 };

    // k and b: the settings' values (read and updated in place); clbPath:
    // the wait table file; unit: the unit whose type picks the values (it
    // outlives this object).
    RunCalibration(double &k, double &b, std::filesystem::path clbPath, const ConnectedUnit &unit);

    // Before a local run. Type 1: reads T1..T3 until the values are held (a
    // failed exchange does not stop the run; a wrong answer does). Type 0:
    // reads the wait table and writes the ".clb" file; anything but success
    // stops the run. Wrong answers are recorded with the port's SetError.
    bool ReadBeforeRun(IComPort &port, bool dosUnit);
    // Where the warning of values not held goes; empty: nobody is told.
    // Set before the conversion is used.
    void SetNotices(NoticeSink notices) { m_notices = std::move(notices); }

    // The value request of the wait conversion. While the values are not
    // held the operator is warned once; a type-0 unit's table then comes
    // from the ".clb" file.
    std::optional<WaitTiming> TimingFor(int width) const override;

    int HeldState() const;
    std::optional<WaitTable> Table() const;
    const std::filesystem::path &ClbPath() const { return m_clbPath; }

private:
    bool ReadPeriods(IComPort &port);
    bool ReadTable(IComPort &port);
    void WarnOnce(bool dosUnit) const;

    double &m_k;
    double &m_b;
    std::filesystem::path m_clbPath;
    const ConnectedUnit &m_unit;
    NoticeSink m_notices;
    mutable std::mutex m_mutex;
    mutable int m_held = NotHeld;
    mutable std::optional<WaitTable> m_table;
};

} // namespace qv
