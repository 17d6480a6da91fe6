// Test-only instruments: an allocation-fault injector and a watchdog.
#ifndef VULM_TESTS_SUPPORT_H
#define VULM_TESTS_SUPPORT_H

#include <stddef.h>
#include <unistd.h>

namespace fault {

// While a Scope is alive, the calling thread's calls to malloc and calloc
// are counted and their sizes recorded; the call numbered `failAt` (from 1)
// fails with null.
// failAt 0 only counts. Scopes do not nest.
class Scope {
public:
    explicit Scope(int failAt = 0);
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    int count() const;           // allocations seen so far, failed one included
    size_t size(int i) const;    // requested bytes of allocation i (from 0)
};

// While a FailCalls is alive, the calling thread's calls of one platform
// function fail as the platform would report it: "vsnprintf" returns -1,
// "ftok" and "shmget" return -1, "shmat" returns (void *)-1, each setting
// errno to `error`; "pthread_rwlock_rdlock" returns `error`.
class FailCalls {
public:
    FailCalls(const char *function, int error);
    ~FailCalls();
    FailCalls(const FailCalls &) = delete;
    FailCalls &operator=(const FailCalls &) = delete;
};

} // namespace fault

// Ends the whole test program (SIGALRM) if it is still alive after
// `seconds`: a blocking primitive under test can fail, never hang.
class Watchdog {
public:
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;
};

#endif
