#include "unit.h"

namespace qv::sim {

class SimulatedUnit::Attachment final : public HostEnd
{
public:
    Attachment(SimulatedUnit &unit, std::uint64_t generation)
        : m_unit(unit)
        , m_generation(generation)
    {}
    ~Attachment() override { m_unit.Detach(m_generation); }

    void Write(std::span<const std::uint8_t> bytes) override
    {
        m_unit.Feed(m_generation, {bytes.begin(), bytes.end()});
    }

private:
    SimulatedUnit &m_unit;
    std::uint64_t m_generation;
};

SimulatedUnit::SimulatedUnit(Board board)
    : m_board(std::move(board))
{
    m_state.appliedPeriods = m_board.periods;
    m_state.savedPeriods = m_board.periods;
    RegisterStandardCommands(m_commands);
    // The probe plugged in beside this unit takes its behaviour from it.
    ScopeBus::Instance().SetBehaviour(m_board.scope, this);
}

SimulatedUnit::~SimulatedUnit()
{
    ScopeBus::Instance().DropBehaviour(this);
    m_executor.Run([this] {
        if (m_session)
            m_session->End();
        m_session.reset();
    });
}

std::unique_ptr<HostEnd> SimulatedUnit::Attach(HostChannel channel, std::string *why)
{
    std::unique_ptr<HostEnd> end;
    m_executor.Run([&] {
        if (m_session && !m_session->Ended()) {
            *why = "блок диагностики занят другой программой";
            return;
        }
        ++m_generation;
        m_session = std::make_shared<Session>(*this, std::move(channel));
        end = std::make_unique<Attachment>(*this, m_generation);
    });
    return end;
}

void SimulatedUnit::Feed(std::uint64_t generation, std::vector<std::uint8_t> bytes)
{
    m_executor.Post([this, generation, bytes = std::move(bytes)] {
        if (generation != m_generation || !m_session || m_session->Ended())
            return;
        const auto session = m_session; // a handler may end it
        session->Receive(bytes);
    });
}

void SimulatedUnit::Detach(std::uint64_t generation)
{
    m_executor.Run([this, generation] {
        if (generation == m_generation && m_session) {
            m_session->End();
            m_session.reset();
        }
    });
}

void SimulatedUnit::Inspect(const std::function<void(SimulatedUnit &)> &task)
{
    m_executor.Run([&] { task(*this); });
}

void SimulatedUnit::Restart()
{
    if (m_session)
        m_session->Hangup();
    m_state.appliedPeriods = m_state.savedPeriods;
    m_state.generatingPeriod = 0;
    m_state.generatingParameter = -1;
    m_state.waitTestRunning = false;
    m_state.alarmArmed = false;
    ++m_state.restarts;
}

void SimulatedUnit::Later(std::chrono::milliseconds delay, std::function<void()> task)
{
    m_executor.PostAfter(delay, std::move(task));
}

} // namespace qv::sim
