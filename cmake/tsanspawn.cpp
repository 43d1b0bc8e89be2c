// Linked into every program of a ThreadSanitizer build (QUORVIK_SANITIZE
// "thread") and nowhere else.
//
// QProcess starts a child with clone(CLONE_VM | CLONE_VFORK | CLONE_PIDFD):
// the child borrows the parent's memory until it execs. The clone
// interceptor of the clang-16 runtime treats every clone as a fork and lets
// the borrowed child rewrite the parent's own thread state, so the parent
// then dies in the runtime's fork check. This definition takes the place of
// the runtime's weak one: such a clone becomes a fork, which the runtime
// supports (the child only execs), with the pidfd the caller asked for
// opened on the child; every other clone goes on to the runtime.

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" int __interceptor_clone(int (*fn)(void *), void *stack, int flags, void *arg, ...);

extern "C" int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    va_list rest;
    va_start(rest, arg);
    int *const parentTid = va_arg(rest, int *);
    void *const tls = va_arg(rest, void *);
    int *const childTid = va_arg(rest, int *);
    va_end(rest);

    constexpr int kBorrowsMemory = CLONE_VM | CLONE_VFORK;
    if ((flags & kBorrowsMemory) != kBorrowsMemory || (flags & CLONE_THREAD) != 0)
        return __interceptor_clone(fn, stack, flags, arg, parentTid, tls, childTid);

    const pid_t pid = fork();
    if (pid == 0)
        _exit(fn(arg));
    if (pid < 0 || (flags & CLONE_PIDFD) == 0)
        return pid;
    // A child that already ended is a zombie until waited for: its pidfd
    // still opens.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        const int error = errno;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        errno = error;
        return -1;
    }
    *parentTid = pidfd;
    return pid;
}
