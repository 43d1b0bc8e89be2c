#pragma once

// quorvik-unitsim's TCP side: listens on one address and connects one host
// at a time to the simulated unit. A second host gets an ERROR frame
// ("busy") and is disconnected; when the host leaves, the next one may come.
// A host that has had no answer from the unit within a few seconds of
// connecting (it never completed its first exchange) is disconnected.

#include <memory>
#include <string>

namespace qv::sim {

class SimulatedUnit;

class UnitServer
{
public:
    explicit UnitServer(SimulatedUnit &unit);
    ~UnitServer();

    UnitServer(const UnitServer &) = delete;
    UnitServer &operator=(const UnitServer &) = delete;

    // Binds and listens; port 0 takes a free port. *error on failure.
    bool Listen(const std::string &host, int port, std::string *error);
    // The address actually listened on, as "HOST:PORT".
    std::string Address() const;
    // Serves hosts until Stop.
    void Run();
    // Ends Run; safe from another thread and from a signal handler.
    void Stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Splits "HOST:PORT" ("[::1]:PORT" for IPv6); false when it is not that form.
bool SplitHostPort(const std::string &text, std::string *host, int *port);

} // namespace qv::sim
