#pragma once

// Test support: runs a child process under ptrace and kills it with SIGKILL
// at a chosen system call of a save, so that a test can look at the file
// after a kill at every step of the save.
//
// The save is found by the creation of its temporary file: the first
// openat with O_CREAT|O_EXCL whose path contains `marker`. Counting starts
// there (entry 0 is that openat itself) and covers the system calls of every
// thread of the child. A kill at a system call's entry means the call never
// ran.

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::testing {

struct KillPointRun
{
    bool started = false;  // the child ran under the tracer
    bool marked = false;   // the temporary file's creation was seen
    bool killed = false;   // the child was killed at the chosen system call
    bool finished = false; // the child ended by itself with status 0
    long callsAfterMark = 0;
};

namespace killpoints {

inline std::string PeekString(pid_t pid, std::uint64_t address)
{
    std::string text;
    while (text.size() < 4096) {
        errno = 0;
        const long word = ::ptrace(PTRACE_PEEKDATA, pid, address + text.size(), nullptr);
        if (errno != 0)
            break;
        const auto *bytes = reinterpret_cast<const char *>(&word);
        for (std::size_t i = 0; i < sizeof word; ++i) {
            if (bytes[i] == '\0')
                return text;
            text += bytes[i];
        }
    }
    return text;
}

// The creation of a save's temporary file at a system call entry.
inline bool CreatesMarkedFile(pid_t tid, const std::string &marker)
{
    user_regs_struct regs{};
    if (::ptrace(PTRACE_GETREGS, tid, nullptr, &regs) != 0)
        return false;
    if (regs.orig_rax != SYS_openat)
        return false;
    const auto flags = static_cast<int>(regs.rdx);
    if ((flags & O_CREAT) == 0 || (flags & O_EXCL) == 0)
        return false;
    return PeekString(tid, regs.rsi).find(marker) != std::string::npos;
}

} // namespace killpoints

// Runs `body` in a forked child (it may exec) and kills the child at the
// killAt-th system call entry after the mark; killAt < 0 lets it finish and
// counts the calls after the mark.
inline KillPointRun RunKilledAt(const std::function<void()> &body, const std::string &marker,
                                long killAt)
{
    KillPointRun run;
    const pid_t child = ::fork();
    if (child < 0)
        return run;
    if (child == 0) {
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        body();
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return run;
    }
    run.started = true;
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXEC);
    ::ptrace(PTRACE_SYSCALL, child, nullptr, nullptr);
    std::map<pid_t, bool> inCall; // per thread: stopped inside a call (entry seen)
    for (;;) {
        const pid_t tid = ::waitpid(-1, &status, __WALL);
        if (tid < 0)
            break;
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (tid == child) {
                run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                break;
            }
            inCall.erase(tid);
            continue;
        }
        if (!WIFSTOPPED(status))
            continue;
        int deliver = 0;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            bool &inside = inCall[tid];
            inside = !inside;
            if (inside) {
                if (!run.marked && killpoints::CreatesMarkedFile(tid, marker))
                    run.marked = true;
                if (run.marked) {
                    if (run.callsAfterMark == killAt) {
                        ::kill(child, SIGKILL);
                        run.killed = true;
                        while (::waitpid(-1, &status, __WALL) > 0) {
                        }
                        return run;
                    }
                    ++run.callsAfterMark;
                }
            }
        } else if ((status >> 16) != 0 || signal == SIGSTOP || signal == SIGTRAP) {
            // ptrace events (clone, exec) and a new thread's first stop.
        } else {
            deliver = signal;
        }
        ::ptrace(PTRACE_SYSCALL, tid, nullptr,
                 reinterpret_cast<void *>(static_cast<long>(deliver)));
    }
    while (::waitpid(-1, &status, __WALL | WNOHANG) > 0) {
    }
    return run;
}

} // namespace qv::testing
