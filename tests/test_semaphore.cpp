#include "vulm/semaphore.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

#include "support.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The record as clients see it: the members in their order.
struct Layout {
    pthread_cond_t cond;
    pthread_mutex_t mutex;
    unsigned int count;
};

unsigned countOf(const semaphore *s)
{
    unsigned count;
    memcpy(&count, reinterpret_cast<const char *>(s) + offsetof(Layout, count), sizeof count);
    return count;
}

struct Handle {
    semaphore *s = semaphore_create();
    ~Handle() { semaphore_destroy(s); }
};

TEST(Semaphore, RecordLayoutAndTimespec)
{
    EXPECT_EQ(sizeof(semaphore), sizeof(Layout));
    EXPECT_EQ(alignof(semaphore), alignof(Layout));
    // 64-bit seconds on every platform, tv_nsec at offset 8.
    EXPECT_EQ(sizeof(time_t), 8u);
    EXPECT_EQ(sizeof(struct timespec), 16u);
    EXPECT_EQ(offsetof(struct timespec, tv_nsec), 8u);
}

TEST(Semaphore, NonBlockingTakesFollowTheCount)
{
    Watchdog watchdog(30);
    Handle h;
    const struct timespec zero = {0, 0}, negative = {-1, 0}, negativeNanos = {0, -5};
    EXPECT_EQ(countOf(h.s), 0u);
    EXPECT_EQ(semaphore_wait(h.s, 0), 0);
    EXPECT_EQ(semaphore_waitFor(h.s, &zero), 0);
    EXPECT_EQ(semaphore_waitFor(h.s, &negative), 0);
    semaphore_post(h.s);
    EXPECT_EQ(semaphore_wait(h.s, 0), 1);
    EXPECT_EQ(semaphore_wait(h.s, 0), 0);
    for (const struct timespec *t : {&zero, &negative, &negativeNanos}) {
        semaphore_post(h.s);
        EXPECT_EQ(semaphore_waitFor(h.s, t), 1) << "a unit is taken whatever the time-out";
    }
    semaphore_post(h.s);
    semaphore_post(h.s);
    EXPECT_EQ(countOf(h.s), 2u);
    EXPECT_EQ(semaphore_wait(h.s, 1), 1);
    EXPECT_TRUE(h.s->wait(false));
    EXPECT_FALSE(h.s->tryWait());
    semaphore_destroy(NULL);
}

TEST(Semaphore, PostAtMaximumIsDropped)
{
    for (const char *name : {(const char *)NULL, "named"}) {
        semaphore s(0xFFFFFFFFu, name);
        s.post();
        EXPECT_EQ(countOf(&s), 0xFFFFFFFFu);
        EXPECT_TRUE(s.tryWait());
        EXPECT_EQ(countOf(&s), 0xFFFFFFFEu);
        s.post();
        s.post();
        EXPECT_EQ(countOf(&s), 0xFFFFFFFFu);
        semaphore small(3, name);
        EXPECT_TRUE(small.doWait());
        EXPECT_EQ(countOf(&small), 2u);
    }
}

// Time-outs at the ends of the 64-bit range are clamped, not overflowed:
// with a unit available they take it at once, without one the negative
// ones give up at once. Zero and negative time-outs never block.
TEST(Semaphore, ExtremeAndNonPositiveTimeoutsDoNotBlock)
{
    Watchdog watchdog(60);
    Handle h;
    const struct timespec huge[] = {{INT64_MAX, 0}, {INT64_MAX, 999999999}, {9223372036, 0},
                                    {9223372036, 854775807}, {0, INT32_MAX}};
    for (const struct timespec &t : huge) {
        semaphore_post(h.s);
        EXPECT_EQ(semaphore_waitFor(h.s, &t), 1) << t.tv_sec;
    }
    const struct timespec none[] = {{INT64_MIN, 0}, {INT64_MIN, -999999999}, {-9223372036, 0},
                                    {0, 0}, {-1, 0}, {0, -1}, {0, -900000000}, {1, -1000000000}};
    for (const struct timespec &t : none) {
        Clock::time_point start = Clock::now();
        EXPECT_EQ(semaphore_waitFor(h.s, &t), 0) << t.tv_sec << " " << t.tv_nsec;
        EXPECT_LT(secondsSince(start), 2.0) << t.tv_sec << " " << t.tv_nsec;
    }
    // The wake-up time is normalised for every phase of the clock: spread
    // twenty attempts over one second.
    const struct timespec almostMinusOne = {0, -990000000};
    for (int i = 0; i < 20; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Clock::time_point start = Clock::now();
        EXPECT_EQ(semaphore_waitFor(h.s, &almostMinusOne), 0);
        EXPECT_LT(secondsSince(start), 2.0);
    }
}

// Timed waits without a post: they expire after the time-out, not before,
// measured on the monotonic clock. Generous upper bounds for qemu and load.
TEST(Semaphore, TimedWaitExpiresAfterItsTimeout)
{
    Watchdog watchdog(60);
    Handle h;
    const struct {
        struct timespec timeout;
        double seconds;
    } cases[] = {
        {{1, 0}, 1.0},
        {{0, 1500000000}, 1.5}, // tv_nsec beyond one second is added as it is
        {{1, -500000000}, 0.5}, // and a negative one shortens the time-out
        {{0, 200000000}, 0.2},
    };
    for (const auto &c : cases) {
        Clock::time_point start = Clock::now();
        EXPECT_EQ(semaphore_waitFor(h.s, &c.timeout), 0);
        double elapsed = secondsSince(start);
        EXPECT_GE(elapsed, c.seconds) << c.seconds;
        EXPECT_LT(elapsed, c.seconds + 3.0) << c.seconds;
    }
}

TEST(Semaphore, PostFromAnotherThreadEndsTheWaits)
{
    Watchdog watchdog(60);
    Handle h;
    // Waiters in each mode; each is released by one post 0.2 s later.
    for (int mode = 0; mode < 4; mode++) {
        std::atomic<bool> done{false};
        int result = -1;
        Clock::time_point start = Clock::now();
        std::thread waiter([&] {
            const struct timespec tenSeconds = {10, 0};
            switch (mode) {
            case 0: result = semaphore_waitFor(h.s, &tenSeconds); break;
            case 1: result = semaphore_wait(h.s, 1); break;
            case 2: result = semaphore_wait(h.s, 2); break; // any non-zero flag blocks
            default: result = h.s->doWait(); break;
            }
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(done) << "mode " << mode << " did not block";
        semaphore_post(h.s);
        waiter.join();
        EXPECT_EQ(result, 1) << "mode " << mode;
        EXPECT_LT(secondsSince(start), 5.0) << "mode " << mode;
        EXPECT_EQ(countOf(h.s), 0u);
    }
}

// Producers and consumers in every mode of taking: every unit posted is
// taken exactly once.
TEST(Semaphore, ProducersAndConsumersBalance)
{
    Watchdog watchdog(120);
    Handle h;
    constexpr int kProducers = 3, kConsumers = 4, kEach = 1000;
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
            while (taken < kProducers * kEach) {
                int got = c == 0   ? semaphore_wait(h.s, 0)
                          : c == 1 ? semaphore_waitFor(h.s, &shortWait)
                                   : h.s->tryWait();
                taken += got;
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(taken, kProducers * kEach);
    EXPECT_EQ(countOf(h.s), 0u);
}

TEST(Semaphore, CreateThrowsBadAllocAndLeavesNothing)
{
    fault::Scope fail(1);
    EXPECT_THROW(semaphore_create(), std::bad_alloc);
}

#ifndef __SANITIZE_THREAD__ // ThreadSanitizer rejects locking a damaged mutex itself
TEST(Semaphore, LockFailureThrowsThroughTheFlatFunctions)
{
    // A mutex whose kind field holds no valid kind makes glibc's lock
    // return EINVAL: the "damaged object" case.
    Handle h;
    pthread_mutex_t *mutex = reinterpret_cast<pthread_mutex_t *>(reinterpret_cast<char *>(h.s) +
                                                                  offsetof(Layout, mutex));
    int saved = mutex->__data.__kind;
    mutex->__data.__kind = 0x7F;
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
            EXPECT_EQ(e.code().value(), EINVAL) << "operation " << op;
        }
    }
    mutex->__data.__kind = saved;
    EXPECT_EQ(semaphore_wait(h.s, 0), 0);
}
#endif

} // namespace
