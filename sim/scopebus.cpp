#include "scopebus.h"

namespace qv::sim {

ScopeBus &ScopeBus::Instance()
{
    static ScopeBus bus;
    return bus;
}

int ScopeBus::Listen(Listener listener)
{
    const std::lock_guard lock(m_mutex);
    const int token = m_nextToken++;
    m_listeners.emplace(token, std::move(listener));
    return token;
}

void ScopeBus::Unlisten(int token)
{
    const std::lock_guard lock(m_mutex);
    m_listeners.erase(token);
}

void ScopeBus::Publish(const ScopeTrigger &trigger)
{
    // Held while the listeners run, so that Unlisten returns only once a
    // listener can no longer be called.
    const std::lock_guard lock(m_mutex);
    for (const auto &[token, listener] : m_listeners)
        listener(trigger);
}

bool ScopeBus::HasListeners() const
{
    const std::lock_guard lock(m_mutex);
    return !m_listeners.empty();
}

void ScopeBus::SetBehaviour(const ScopeBehaviour &behaviour, const void *owner)
{
    const std::lock_guard lock(m_mutex);
    m_behaviour = behaviour;
    m_owner = owner;
}

void ScopeBus::DropBehaviour(const void *owner)
{
    const std::lock_guard lock(m_mutex);
    if (owner == nullptr || owner != m_owner)
        return;
    m_behaviour = ScopeBehaviour{};
    m_owner = nullptr;
}

ScopeBehaviour ScopeBus::Behaviour() const
{
    const std::lock_guard lock(m_mutex);
    return m_behaviour;
}

} // namespace qv::sim
