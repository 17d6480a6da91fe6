// Counting semaphore on a mutex and a CLOCK_MONOTONIC condition variable.
#include "vulm/semaphore.h"
#include "layout.h"

#include <errno.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <system_error>

using vulm_layout::roundUp;

namespace {

// Holds the mutex for a scope. Unlocks also when a cancelled wait unwinds
// the thread, so the semaphore stays usable by the others.
class Locked {
public:
    explicit Locked(pthread_mutex_t *mutex) : mutex(mutex)
    {
        int error = pthread_mutex_lock(mutex);
        if (error != 0)
            throw std::system_error(error, std::generic_category());
    }
    ~Locked() { pthread_mutex_unlock(mutex); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

private:
    pthread_mutex_t *mutex;
};

constexpr int64_t kNanosPerSecond = 1000000000;

// a + b, clamped to the int64_t range.
int64_t saturatingAdd(int64_t a, int64_t b)
{
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? INT64_MAX : INT64_MIN;
    return sum;
}

// The relative time-out in nanoseconds, clamped to the int64_t range.
int64_t timeoutNanos(const struct timespec *timeout)
{
    int64_t seconds;
    if (__builtin_mul_overflow((int64_t)timeout->tv_sec, kNanosPerSecond, &seconds))
        return timeout->tv_sec > 0 ? INT64_MAX : INT64_MIN;
    return saturatingAdd(seconds, timeout->tv_nsec);
}

int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The absolute CLOCK_MONOTONIC time `remaining` nanoseconds after `m`.
struct timespec wakeUpTime(const struct timespec &m, int64_t remaining)
{
    struct timespec w;
    w.tv_sec = m.tv_sec + remaining / kNanosPerSecond;
    w.tv_nsec = m.tv_nsec + remaining % kNanosPerSecond;
    if (w.tv_nsec >= kNanosPerSecond) {
        w.tv_sec += 1;
        w.tv_nsec -= kNanosPerSecond;
    } else if (w.tv_nsec < 0) {
        w.tv_sec -= 1;
        w.tv_nsec += kNanosPerSecond;
    }
    return w;
}

} // namespace

semaphore::semaphore(unsigned int initial, char const * /* name: ignored */) : count(initial)
{
    // Clients hold semaphores by value, so the layout is fixed: the members'
    // types in their order, nothing else (abi/layout.txt has the figures).
    // A class derived from it places its first member where semaphore's own
    // end, in its tail padding: a member added anywhere fails the build.
    struct probe : semaphore {
        char end;
    };
    constexpr std::size_t mutexAt = roundUp(sizeof(pthread_cond_t), alignof(pthread_mutex_t));
    constexpr std::size_t countAt = roundUp(mutexAt + sizeof(pthread_mutex_t), alignof(unsigned int));
    static_assert(offsetof(semaphore, cond) == 0, "layout");
    static_assert(offsetof(semaphore, mutex) == mutexAt, "layout");
    static_assert(offsetof(semaphore, count) == countAt, "layout");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof" // probe is not standard-layout; GCC and clang agree
    static_assert(offsetof(probe, end) == countAt + sizeof(unsigned int), "layout");
#pragma GCC diagnostic pop
    static_assert(alignof(semaphore) == std::max({alignof(pthread_cond_t), alignof(pthread_mutex_t), alignof(unsigned int)}),
                  "layout");
    static_assert(sizeof(semaphore) == roundUp(countAt + sizeof(unsigned int), alignof(semaphore)), "layout");
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&cond, &attr);
    pthread_condattr_destroy(&attr);
}

semaphore::~semaphore()
{
    pthread_cond_destroy(&cond);
}

bool semaphore::wait(bool block)
{
    return block ? doWait() : tryWait();
}

bool semaphore::doWait()
{
    Locked locked(&mutex);
    while (count == 0)
        pthread_cond_wait(&cond, &mutex);
    count--;
    return true;
}

bool semaphore::tryWait()
{
    Locked locked(&mutex);
    if (count == 0)
        return false;
    count--;
    return true;
}

void semaphore::post()
{
    Locked locked(&mutex);
    if (count == 0xFFFFFFFFu)
        return;
    count++;
    pthread_cond_signal(&cond);
}

extern "C" {

semaphore *semaphore_create(void)
{
    return new semaphore(0, NULL);
}

void semaphore_destroy(semaphore *handle)
{
    delete handle;
}

int semaphore_wait(semaphore *handle, int block)
{
    return handle->wait(block != 0);
}

int semaphore_waitFor(semaphore *handle, const struct timespec *timeout)
{
    // Fixed once: spurious wake-ups never extend the total wait.
    const int64_t deadline = saturatingAdd(steadyNow(), timeoutNanos(timeout));
    Locked locked(&handle->mutex);
    for (;;) {
        if (handle->count > 0) {
            handle->count--;
            return 1;
        }
        struct timespec m;
        clock_gettime(CLOCK_MONOTONIC, &m);
        struct timespec w = wakeUpTime(m, saturatingAdd(deadline, -steadyNow()));
        // A unit posted as the time-out expires stays for the next taker.
        if (pthread_cond_timedwait(&handle->cond, &handle->mutex, &w) == ETIMEDOUT)
            return 0;
    }
}

void semaphore_post(semaphore *handle)
{
    handle->post();
}

} // extern "C"
