#include "execution/run/runcalibration.h"

#include "execution/port/comport.h"
#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "infra/safefile.h"
#include "infra/unitcodes.h"
#include "model/io/filestore.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace qv {

namespace {

constexpr std::string_view kWrongAnswer = "Неправильный ответ от блока диагностики";
constexpr std::size_t kPeriodsAnswer = 12;
constexpr std::size_t kTableAnswer = 129;
constexpr std::uint8_t kTableMark = 7;

std::string Format3(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// A request of one operation byte and the answer to it.
std::optional<std::vector<std::uint8_t>> Exchange(IComPort &port, std::uint8_t operation)
{
    const std::uint8_t request[] = {operation};
    if (port.Send(QORV_CALIBR, request) != PortOk)
        return std::nullopt;
    if (!PortSucceeded(port.WaitData(QORV_CALIBR, kPortDefaultTimeout)))
        return std::nullopt;
    return port.AnswerData();
}

} // namespace

float FloatAt(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(bytes[offset]) |
                               static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
                               static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
                               static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    return std::bit_cast<float>(bits);
}

void PutFloat(std::uint8_t *out, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::array<std::uint8_t, kWaitTableFileSize> WaitTableBytes(const WaitTable &table)
{
    std::array<std::uint8_t, kWaitTableFileSize> bytes{};
    for (std::size_t i = 0; i < 16; ++i) {
        PutFloat(bytes.data() + 4 * i, table.t0[i]);
        PutFloat(bytes.data() + 64 + 4 * i, table.tinc[i]);
    }
    return bytes;
}

std::optional<WaitTable> WaitTableFromBytes(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kWaitTableFileSize)
        return std::nullopt;
    WaitTable table;
    for (std::size_t i = 0; i < 16; ++i) {
        table.t0[i] = FloatAt(bytes, 4 * i);
        table.tinc[i] = FloatAt(bytes, 64 + 4 * i);
    }
    return table;
}

std::optional<WaitTable> LoadWaitTable(const std::filesystem::path &path)
{
    // A pipe or a device is no table and is never waited on; the table is
    // the file's first bytes.
    const auto read = ReadInputFile(path, kMiB);
    if (!read || read->size() < kWaitTableFileSize)
        return std::nullopt;
    std::array<std::uint8_t, kWaitTableFileSize> bytes{};
    std::copy_n(read->begin(), kWaitTableFileSize, bytes.begin());
    return WaitTableFromBytes(bytes);
}

bool SaveWaitTable(const std::filesystem::path &path, const WaitTable &table)
{
    const auto bytes = WaitTableBytes(table);
    return TryReplace(path.string(),
                      std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

std::optional<IoTiming> IoTimingFromPeriods(float t1, float t3)
{
    // All bits set is "not available": a NaN, which must not become k or b;
    // nor may periods that give a time below zero (T3 shorter than T1).
    if (!std::isfinite(t1) || !std::isfinite(t3) || t1 <= 0 || t3 < t1)
        return std::nullopt;
    const IoTiming timing{t1 * 0.5, (static_cast<double>(t3) - t1) * 0.00009765625 * 0.5};
    if (!std::isfinite(timing.k) || !std::isfinite(timing.b))
        return std::nullopt;
    return timing;
}

RunCalibration::RunCalibration(double &k, double &b, std::filesystem::path clbPath,
                               const ConnectedUnit &unit)
    : m_k(k)
    , m_b(b)
    , m_clbPath(std::move(clbPath))
    , m_unit(unit)
{}

bool RunCalibration::ReadBeforeRun(IComPort &port, bool dosUnit)
{
    if (dosUnit) {
        {
            std::lock_guard lock(m_mutex);
            if (m_held == Held)
                return true;
        }
        return ReadPeriods(port);
    }
    return ReadTable(port);
}

bool RunCalibration::ReadPeriods(IComPort &port)
{
    std::optional<std::vector<std::uint8_t>> answer;
    {
        // A unit that does not answer costs the run nothing: the previous
        // values serve, and the operator hears of it once, when a wait is
        // converted, not from the port as well.
        const PortVoiceScope quiet(port, PortVoice::Quiet);
        answer = Exchange(port, 1);
    }
    if (!answer)
        return true;
    if (answer->size() != kPeriodsAnswer) {
        port.SetError(kWrongAnswer);
        return false;
    }
    const auto timing = IoTimingFromPeriods(FloatAt(*answer, 0), FloatAt(*answer, 8));
    if (!timing)
        return true; // a measurement the unit does not have keeps the previous values
    std::lock_guard lock(m_mutex);
    m_k = timing->k;
    m_b = timing->b;
    m_held = Held;
    return true;
}

bool RunCalibration::ReadTable(IComPort &port)
{
    const auto answer = Exchange(port, 6);
    if (!answer)
        return false;
    if (answer->size() != kTableAnswer || (*answer)[0] != kTableMark) {
        port.SetError(kWrongAnswer);
        return false;
    }
    const auto table = WaitTableFromBytes(std::span(*answer).subspan(1));
    SaveWaitTable(m_clbPath, *table);
    std::lock_guard lock(m_mutex);
    m_table = table;
    m_held = Held;
    return true;
}

void RunCalibration::WarnOnce(bool dosUnit) const
{
    std::string text = "Не удалось получить из БД время выполнения операции I/O\r\n"
                       "Используется значение от предыдущего запуска";
    {
        std::lock_guard lock(m_mutex);
        if (m_held != NotHeld)
            return;
        m_held = Warned;
        if (dosUnit)
            text += " - " + Format3(m_k) + " мкс";
        else
            m_table = LoadWaitTable(m_clbPath);
    }
    // Shown outside the lock: the box runs an event loop that may paint,
    // and painting converts waits again.
    Tell(m_notices, {NoticeKind::Warning, text, std::string(kPortCaption)});
}

std::optional<WaitTiming> RunCalibration::TimingFor(int width) const
{
    const bool dosUnit = m_unit.IsDos();
    WarnOnce(dosUnit);
    std::lock_guard lock(m_mutex);
    if (dosUnit)
        return WaitTiming{true, m_k, m_b, 0, 0};
    if (!m_table || width < 1 || width > 16)
        return std::nullopt;
    const auto n = static_cast<std::size_t>(width - 1);
    return WaitTiming{false, 0, 0, m_table->t0[n], m_table->tinc[n]};
}

int RunCalibration::HeldState() const
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

std::optional<WaitTable> RunCalibration::Table() const
{
    std::lock_guard lock(m_mutex);
    return m_table;
}

} // namespace qv
