// Linked into the tests of a ThreadSanitizer build only.
//
// QProcess starts children with a vfork-like clone (CLONE_VM | CLONE_VFORK): until it execs, the
// child runs in the parent's memory, and ThreadSanitizer's bookkeeping for the child overwrites
// the parent's, which then reports races that never happened (and can die starting a thread).
// Here such a clone becomes a real fork, which ThreadSanitizer follows; the pidfd Qt asks for is
// opened on the child.
#include <dlfcn.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    va_list rest;
    va_start(rest, arg);
    auto* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    auto* childTid = va_arg(rest, pid_t*);
    va_end(rest);

    const int vforkLike = CLONE_VM | CLONE_VFORK;
    if ((flags & vforkLike) == vforkLike && (flags & CLONE_THREAD) == 0) {
        const pid_t pid = fork();
        if (pid == 0) {
            _exit(fn(arg));
        }
        if (pid > 0 && (flags & CLONE_PIDFD) != 0) {
            *parentTid = pid_t(syscall(SYS_pidfd_open, pid, 0));
        }
        return pid;
    }
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return next(fn, stack, flags, arg, parentTid, tls, childTid);
}
