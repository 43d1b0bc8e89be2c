#include "runprogress.h"

#include "infra/plural.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace qortool {

namespace {

// How often the elapsed time moves on.
constexpr auto kTick = std::chrono::milliseconds(250);
// Back to the start of the line and clear it.
constexpr std::string_view kEraseLine = "\r\x1b[K";

std::string Clock(std::chrono::steady_clock::duration elapsed)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

std::string ProgressText(const RunProgress &progress, std::optional<int> total,
                         std::chrono::steady_clock::duration elapsed)
{
    std::string text = "Прогоны: " + std::to_string(progress.passes);
    if (total)
        text += " из " + std::to_string(*total);
    text += ", ошибки: " + std::to_string(progress.errors);
    text += ", время " + Clock(elapsed);
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (seconds > 0 && progress.passes > 0) {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.1f", progress.passes / seconds);
        // A fraction takes the form of "a few": "2.5 прогона".
        text += std::string(", ") + rate + ' ' + std::string(qv::kPassNoun.few) + "/с";
    }
    return text;
}

ProgressLine::ProgressLine(bool draw, std::optional<int> total)
    : m_draw(draw)
    , m_total(total)
{}

void ProgressLine::Start(Reader read)
{
    if (!m_draw)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_read = std::move(read);
        m_started = std::chrono::steady_clock::now();
        Redraw();
    }
    m_ticker = std::thread([this] {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, kTick, [this] { return m_done; }))
            Redraw();
    });
}

ProgressLine::~ProgressLine()
{
    Finish();
}

bool ProgressLine::StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void ProgressLine::PrintLine(const std::string &line)
{
    std::lock_guard lock(m_mutex);
    Erase();
    std::cout << line << std::endl;
    Redraw();
}

void ProgressLine::Finish()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_done)
            return;
        m_done = true;
        Erase();
    }
    m_wake.notify_all();
    if (m_ticker.joinable())
        m_ticker.join();
}

void ProgressLine::Redraw()
{
    if (!m_draw || !m_read || m_done)
        return;
    std::cerr << kEraseLine
              << ProgressText(m_read(), m_total, std::chrono::steady_clock::now() - m_started)
              << std::flush;
    m_shown = true;
}

void ProgressLine::Erase()
{
    if (!m_shown)
        return;
    std::cerr << kEraseLine << std::flush;
    m_shown = false;
}

} // namespace qortool
