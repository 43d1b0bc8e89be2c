#include "infra/mesbo.h"

#include "infra/mesboflags.h"

namespace qv {

int DefaultButton(int flags)
{
    const bool second = (flags & MbDefaultSecond) != 0;
    switch (flags & MbButtonsMask) {
    case 3: // Yes, No, Cancel
    case 4: // Yes, No
        return second ? MbNo : MbYes;
    case 5: // Retry, Cancel
        return second ? MbCancel : MbRetry;
    default:
        return MbOk;
    }
}

int ScriptedMesbo::Show(const std::string &text, int flags, const std::string &caption)
{
    std::function<void(const Shown &)> echo;
    Shown shown{text, flags, caption};
    int answer = 0;
    {
        std::lock_guard lock(m_mutex);
        m_shown.push_back(shown);
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        } else {
            answer = m_fallback != 0 ? m_fallback : DefaultButton(flags);
        }
        echo = m_echo;
    }
    if (echo)
        echo(shown);
    return answer;
}

void ScriptedMesbo::QueueAnswer(int button)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(button);
}

void ScriptedMesbo::SetFallbackAnswer(int button)
{
    std::lock_guard lock(m_mutex);
    m_fallback = button;
}

void ScriptedMesbo::SetEcho(std::function<void(const Shown &)> echo)
{
    std::lock_guard lock(m_mutex);
    m_echo = std::move(echo);
}

std::vector<ScriptedMesbo::Shown> ScriptedMesbo::ShownMessages() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

std::size_t ScriptedMesbo::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_shown.size();
}

void ScriptedMesbo::Clear()
{
    std::lock_guard lock(m_mutex);
    m_shown.clear();
    m_answers.clear();
}

namespace {

std::mutex g_serviceMutex;

std::unique_ptr<TMesbo> &Service()
{
    static std::unique_ptr<TMesbo> service = std::make_unique<ScriptedMesbo>();
    return service;
}

} // namespace

TMesbo &Mesbo()
{
    std::lock_guard lock(g_serviceMutex);
    return *Service();
}

std::unique_ptr<TMesbo> InstallMesbo(std::unique_ptr<TMesbo> service)
{
    std::lock_guard lock(g_serviceMutex);
    if (!service)
        service = std::make_unique<ScriptedMesbo>();
    std::swap(Service(), service);
    return service;
}

FailureThrottle::FailureThrottle(std::chrono::milliseconds period,
                                 std::function<Clock::time_point()> now)
    : m_period(period)
    , m_now(std::move(now))
{}

bool FailureThrottle::Allow()
{
    std::lock_guard lock(m_mutex);
    const auto now = m_now();
    if (m_shownBefore && now - m_last < m_period)
        return false;
    m_shownBefore = true;
    m_last = now;
    return true;
}

void FailureThrottle::Reset()
{
    std::lock_guard lock(m_mutex);
    m_shownBefore = false;
}

} // namespace qv
