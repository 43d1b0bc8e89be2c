// The unit link's speed: handshake round trip and a 1 MiB file sent with
// SendFile, to the in-process simulated unit and over TCP loopback to a
// quorvik-unitsim child process. Run with repetitions to read the median:
//   build/bench/bench_unitlink --benchmark_repetitions=9 --benchmark_report_aggregates_only=true

#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "sim/board.h"
#include "sim/unit.h"

#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// quorvik-unitsim on an ephemeral loopback port for the whole program.
class UnitSim
{
public:
    UnitSim()
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char program[] = QV_UNITSIM_PATH;
        char listen[] = "--listen";
        char where[] = "127.0.0.1:0";
        char *argv[] = {program, listen, where, nullptr};
        const int rc = posix_spawn(&m_pid, program, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc == 0) {
            std::string line;
            char c = 0;
            while (::read(out[0], &c, 1) == 1 && c != '\n')
                line += c;
            const auto at = line.find("tcp://");
            if (at != std::string::npos)
                m_address = line.substr(at);
        }
        ::close(out[0]);
    }
    ~UnitSim()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string &Address() const { return m_address; }

private:
    pid_t m_pid = -1;
    std::string m_address;
};

UnitSim &SharedUnitSim()
{
    static UnitSim unitsim;
    return unitsim;
}

std::unique_ptr<qv::Portavo> Connected(bool overTcp)
{
    std::unique_ptr<qv::Portavo> port;
    if (overTcp) {
        port = std::make_unique<qv::Portavo>(SharedUnitSim().Address());
    } else {
        auto unit = std::make_shared<qv::sim::SimulatedUnit>(qv::sim::DefaultBoard());
        port = std::make_unique<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
    }
    port->SetVoice(qv::PortVoice::Quiet);
    port->Open(qv::SCP_Info{});
    if (port->Handshake() != qv::PortOk)
        return nullptr;
    return port;
}

void Handshake(benchmark::State &state)
{
    const auto port = Connected(state.range(0) != 0);
    if (!port) {
        state.SkipWithError("no unit");
        return;
    }
    for (auto _ : state) {
        if (port->Handshake() != qv::PortOk) {
            state.SkipWithError(port->GetError().c_str());
            break;
        }
    }
}
BENCHMARK(Handshake)->ArgName("tcp")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

void SendFile1MiB(benchmark::State &state)
{
    const auto port = Connected(state.range(0) != 0);
    if (!port) {
        state.SkipWithError("no unit");
        return;
    }
    const std::vector<std::uint8_t> file(1024 * 1024, 0x5A);
    for (auto _ : state) {
        if (port->SendFile(file, "bench.bin", {}) != qv::PortOk) {
            state.SkipWithError(port->GetError().c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(SendFile1MiB)
    ->ArgName("tcp")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
