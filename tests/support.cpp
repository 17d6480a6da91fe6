// Interposes the allocation functions of the test program, and a few
// platform calls whose failures cannot be provoked otherwise. Symbols of the
// executable come first in the dynamic lookup, so the library's calls land
// here too; the real functions are found with RTLD_NEXT, which also keeps a
// sanitizer's allocator in charge when one is loaded.
#include "support.h"

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>

namespace {

constexpr int kSizes = 64;

struct State {
    bool armed;
    int failAt;
    int count;
    size_t sizes[kSizes];
};

thread_local State state;

// True when this allocation is to fail.
bool record(size_t bytes)
{
    if (!state.armed)
        return false;
    if (state.count < kSizes)
        state.sizes[state.count] = bytes;
    state.count++;
    return state.count == state.failAt;
}

// Set while this thread looks a function up: dlsym itself allocates before
// glibc 2.34 (its error state), and takes a null from the allocator in its
// stride, so the allocation functions answer null meanwhile rather than
// look themselves up again without end.
thread_local bool lookingUp;

// Finds the next definition of an allocation function. No function-local
// statics here: a sanitizer runtime calls malloc before it can serve the
// guard of one.
template <typename Fn>
Fn next(std::atomic<Fn> &cache, const char *name)
{
    Fn fn = cache.load(std::memory_order_relaxed);
    if (fn == nullptr) {
        lookingUp = true;
        fn = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
        lookingUp = false;
        if (fn == nullptr) {
            static const char msg[] = "support: allocation function not found\n";
            (void)!write(2, msg, sizeof msg - 1);
            abort();
        }
        cache.store(fn, std::memory_order_relaxed);
    }
    return fn;
}

using MallocFn = void *(*)(size_t);
using CallocFn = void *(*)(size_t, size_t);
using VsnprintfFn = int (*)(char *, size_t, const char *, va_list);
using VsnprintfChkFn = int (*)(char *, size_t, int, size_t, const char *, va_list);
using FtokFn = key_t (*)(const char *, int);
using ShmgetFn = int (*)(key_t, size_t, int);
using ShmatFn = void *(*)(int, const void *, int);
using RdlockFn = int (*)(pthread_rwlock_t *);

std::atomic<MallocFn> realMalloc;
std::atomic<CallocFn> realCalloc;
std::atomic<VsnprintfFn> realVsnprintf;
std::atomic<VsnprintfChkFn> realVsnprintfChk;
std::atomic<FtokFn> realFtok;
std::atomic<ShmgetFn> realShmget;
std::atomic<ShmatFn> realShmat;
std::atomic<RdlockFn> realRdlock;

thread_local const char *failingFunction;
thread_local int failingError;

// True, with errno set, when calls of `function` are to fail.
bool failCall(const char *function)
{
    if (failingFunction == nullptr || strcmp(failingFunction, function) != 0)
        return false;
    errno = failingError;
    return true;
}

// Set while the real allocation function runs: the C library's own calls
// from one to another (musl's calloc calls malloc) are no allocations of
// the caller's.
thread_local bool inside;

template <typename Fn, typename... Args>
void *allocate(Fn real, size_t bytes, Args... args)
{
    if (inside)
        return real(args...);
    if (record(bytes))
        return nullptr;
    inside = true;
    void *block = real(args...);
    inside = false;
    return block;
}

} // namespace

extern "C" void *malloc(size_t bytes)
{
    if (lookingUp)
        return nullptr;
    return allocate(next(realMalloc, "malloc"), bytes, bytes);
}

extern "C" void *calloc(size_t count, size_t bytes)
{
    if (lookingUp)
        return nullptr;
    return allocate(next(realCalloc, "calloc"), count * bytes, count, bytes);
}

extern "C" int vsnprintf(char *out, size_t size, const char *format, va_list args)
{
    if (failCall("vsnprintf"))
        return -1;
    return next(realVsnprintf, "vsnprintf")(out, size, format, args);
}

// The form a fortified build of the library calls.
extern "C" int __vsnprintf_chk(char *out, size_t size, int flag, size_t outSize, const char *format,
                               va_list args)
{
    if (failCall("vsnprintf"))
        return -1;
    return next(realVsnprintfChk, "__vsnprintf_chk")(out, size, flag, outSize, format, args);
}

extern "C" key_t ftok(const char *path, int id)
{
    if (failCall("ftok"))
        return -1;
    return next(realFtok, "ftok")(path, id);
}

extern "C" int shmget(key_t key, size_t size, int flags)
{
    if (failCall("shmget"))
        return -1;
    return next(realShmget, "shmget")(key, size, flags);
}

extern "C" void *shmat(int segment, const void *address, int flags)
{
    if (failCall("shmat"))
        return (void *)-1;
    return next(realShmat, "shmat")(segment, address, flags);
}

extern "C" int pthread_rwlock_rdlock(pthread_rwlock_t *lock)
{
    if (failCall("pthread_rwlock_rdlock"))
        return failingError;
    return next(realRdlock, "pthread_rwlock_rdlock")(lock);
}

namespace fault {

FailCalls::FailCalls(const char *function, int error)
{
    failingError = error;
    failingFunction = function;
}

FailCalls::~FailCalls() { failingFunction = nullptr; }

Scope::Scope(int failAt)
{
    state.failAt = failAt;
    state.count = 0;
    state.armed = true;
}

Scope::~Scope() { state.armed = false; }

int Scope::count() const { return state.count; }

size_t Scope::size(int i) const { return i < kSizes ? state.sizes[i] : 0; }

} // namespace fault
