#pragma once

// Test support: runs a program with a pseudo-terminal as its standard
// input, output and error, as on an operator's console, and collects what
// it wrote there and its exit status.

#include <chrono>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qv::testing {

struct TerminalRun
{
    int exitCode = -1;  // -1: it did not finish within the time-out
    std::string output; // standard output and error as the terminal got them
};

inline TerminalRun RunOnTerminal(const std::string &program, const std::vector<std::string> &args,
                                 int timeoutMs = 30000)
{
    std::vector<std::string> owned{program};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    TerminalRun run;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0)
        return run;
    if (child == 0) {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left)) <= 0)
            break;
        // The terminal reports EIO once the child and its descendants closed it.
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    } else if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    ::close(master);
    return run;
}

} // namespace qv::testing
