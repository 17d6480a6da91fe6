#include "vulm/semaphore.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "support.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double threadCpuSeconds()
{
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// The record as clients see it: the members in their order.
struct Layout {
    pthread_cond_t cond;
    pthread_mutex_t mutex;
    unsigned int count;
};

unsigned countOf(semaphore *s)
{
    return reinterpret_cast<Layout *>(s)->count;
}

struct Handle {
    semaphore *s = semaphore_create();
    ~Handle() { semaphore_destroy(s); }
};

// Wakes every waiter of `s` without posting, as a spurious wake-up would,
// every 10 ms until destroyed.
class SpuriousWakeUps {
public:
    explicit SpuriousWakeUps(semaphore *s)
        : thread([this, layout = reinterpret_cast<Layout *>(s)] {
              while (!stop) {
                  pthread_mutex_lock(&layout->mutex);
                  pthread_cond_broadcast(&layout->cond);
                  pthread_mutex_unlock(&layout->mutex);
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          })
    {
    }
    ~SpuriousWakeUps()
    {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

TEST(Semaphore, NonBlockingTakesFollowTheCount)
{
    Watchdog watchdog(30);
    Handle h;
    const struct timespec zero = {0, 0}, negative = {-1, 0};
    EXPECT_EQ(semaphore_wait(h.s, 0), 0);
    EXPECT_EQ(semaphore_waitFor(h.s, &zero), 0);
    for (const struct timespec *t : {&zero, &negative}) {
        semaphore_post(h.s);
        EXPECT_EQ(semaphore_waitFor(h.s, t), 1) << "a unit is taken whatever the time-out";
    }
    semaphore_post(h.s);
    semaphore_post(h.s);
    EXPECT_EQ(countOf(h.s), 2u);
    EXPECT_EQ(semaphore_wait(h.s, 0), 1);
    EXPECT_TRUE(h.s->wait(false));
    EXPECT_FALSE(h.s->tryWait());
    semaphore_destroy(NULL);

    semaphore full(0xFFFFFFFFu, "name is ignored");
    full.post(); // dropped at the maximum
    EXPECT_EQ(countOf(&full), 0xFFFFFFFFu);
    EXPECT_TRUE(full.wait(true));
    EXPECT_EQ(countOf(&full), 0xFFFFFFFEu);
}

// Timed waits without a post end after their time-out, not before, on the
// monotonic clock, asleep (no CPU burnt), also through spurious wake-ups.
// Time-outs at or below zero, also at the end of the 64-bit range, give up
// at once. The generous upper bound is for emulators under load.
TEST(Semaphore, TimedWaitsExpireAfterTheirTimeoutAsleep)
{
    Watchdog watchdog(60);
    Handle h;
    const struct {
        struct timespec timeout;
        double seconds;
        bool wakeUps;
    } cases[] = {
        {{1, 0}, 1.0, false},
        {{0, 1500000000}, 1.5, true}, // tv_nsec beyond one second counts as it is
        {{1, -500000000}, 0.5, false}, // and a negative one shortens the time-out
        {{0, -100000000}, 0, false},   {{INT64_MIN, 0}, 0, false}, {{-9223372036, -854775808}, 0, false},
    };
    for (const auto &c : cases) {
        std::unique_ptr<SpuriousWakeUps> wakeUps(c.wakeUps ? new SpuriousWakeUps(h.s) : nullptr);
        if (c.timeout.tv_sec == 0 && c.timeout.tv_nsec < 0) {
            // Just past a whole second of the clock, a short negative
            // time-out needs its wake-up time normalised by borrowing one.
            struct timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::this_thread::sleep_for(std::chrono::nanoseconds(1010000000 - now.tv_nsec));
        }
        Clock::time_point start = Clock::now();
        double cpu = threadCpuSeconds();
        EXPECT_EQ(semaphore_waitFor(h.s, &c.timeout), 0);
        double elapsed = secondsSince(start);
        EXPECT_GE(elapsed, c.seconds) << c.seconds;
        EXPECT_LT(elapsed, c.seconds + 0.9) << c.seconds;
        EXPECT_LT(threadCpuSeconds() - cpu, 0.1 + elapsed / 10) << c.seconds;
    }
}

// Each way of waiting blocks, through spurious wake-ups, until a post;
// time-outs too long for 64 bits of nanoseconds are clamped, not wrapped.
TEST(Semaphore, PostFromAnotherThreadEndsTheWaits)
{
    Watchdog watchdog(60);
    Handle h;
    const struct timespec timeouts[] = {{10, 0}, {INT64_MAX, 999999999}, {9223372036, 854775807}};
    for (int mode = 0; mode < 6; mode++) {
        std::atomic<bool> done{false};
        int result = -1;
        std::thread waiter([&] {
            if (mode < 3)
                result = semaphore_waitFor(h.s, &timeouts[mode]);
            else if (mode < 5)
                result = semaphore_wait(h.s, mode - 2); // any non-zero flag blocks
            else
                result = h.s->doWait();
            done = true;
        });
        {
            SpuriousWakeUps wakeUps(h.s);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        EXPECT_FALSE(done) << "mode " << mode << " did not block";
        semaphore_post(h.s);
        waiter.join();
        EXPECT_EQ(result, 1) << "mode " << mode;
        EXPECT_EQ(countOf(h.s), 0u);
    }
}

// Producers and consumers in every mode of taking: every unit posted is
// taken exactly once.
TEST(Semaphore, ProducersAndConsumersBalance)
{
    Watchdog watchdog(120);
    Handle h;
    constexpr int kProducers = 3, kConsumers = 3, kEach = 1000;
    std::atomic<int> taken{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; p++)
        threads.emplace_back([&] {
            for (int i = 0; i < kEach; i++)
                semaphore_post(h.s);
        });
    for (int c = 0; c < kConsumers; c++)
        threads.emplace_back([&, c] {
            const struct timespec shortWait = {0, 1000000};
            while (taken < kProducers * kEach)
                taken += c == 0 ? semaphore_wait(h.s, 0) : c == 1 ? semaphore_waitFor(h.s, &shortWait) : h.s->tryWait();
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(taken, kProducers * kEach);
    EXPECT_EQ(countOf(h.s), 0u);
}

#ifndef __SANITIZE_THREAD__ // ThreadSanitizer rejects locking a damaged mutex itself
TEST(Semaphore, LockFailureThrowsThroughTheFlatFunctions)
{
    // The "damaged object" case: glibc's lock returns EINVAL for a mutex
    // whose kind field holds no valid kind; musl's EDEADLK for one that its
    // type and lock words call error-checking and held by this thread.
    Handle h;
    pthread_mutex_t *mutex = &reinterpret_cast<Layout *>(h.s)->mutex;
#ifdef __GLIBC__
    int *fields[] = {&mutex->__data.__kind}, damaged[] = {0x7F}, error = EINVAL;
#else
    int *fields[] = {&mutex->__u.__i[0], &mutex->__u.__i[1]};
    int damaged[] = {PTHREAD_MUTEX_ERRORCHECK, (int)syscall(SYS_gettid)}, error = EDEADLK;
#endif
    int saved[2];
    for (size_t i = 0; i < std::size(fields); i++)
        saved[i] = std::exchange(*fields[i], damaged[i]);
    const struct timespec zero = {0, 0};
    for (int op = 0; op < 4; op++) {
        try {
            switch (op) {
            case 0: semaphore_post(h.s); break;
            case 1: semaphore_wait(h.s, 0); break;
            case 2: semaphore_wait(h.s, 1); break;
            default: semaphore_waitFor(h.s, &zero); break;
            }
            ADD_FAILURE() << "operation " << op << " did not throw";
        } catch (const std::system_error &e) {
            EXPECT_EQ(e.code().value(), error) << "operation " << op;
        }
    }
    for (size_t i = 0; i < std::size(fields); i++)
        *fields[i] = saved[i];
    EXPECT_EQ(semaphore_wait(h.s, 0), 0);
}
#endif

} // namespace
