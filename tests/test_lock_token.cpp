#include "vulm/lock_token.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "support.h"

namespace {

using namespace std::chrono_literals;

// Destroys `owner` on another thread; the future is ready when
// ~LockToken() has returned.
std::future<void> destroyAsync(std::unique_ptr<LockToken> &owner)
{
    return std::async(std::launch::async, [lt = std::move(owner)]() mutable { lt.reset(); });
}

bool finishesWithin(std::future<void> &f, std::chrono::milliseconds d)
{
    return f.wait_for(d) == std::future_status::ready;
}

TEST(LockToken, DestructorWaitsForTheHoldingToken)
{
    Watchdog watchdog(30);
    auto owner = std::make_unique<LockToken>();
    auto holder = owner->token(), other = owner->token();
    ASSERT_TRUE(holder->lock());
    ASSERT_TRUE(holder->lock()); // exchanged: still exactly one read lock
    auto done = destroyAsync(owner);
    EXPECT_FALSE(finishesWithin(done, 300ms));
    // While the destructor waits, the holder's new read lock is granted
    // before its old one is released; a gap would let the destructor in.
    EXPECT_TRUE(holder->lock());
    EXPECT_FALSE(finishesWithin(done, 100ms));
    holder.reset();
    EXPECT_TRUE(finishesWithin(done, 10s));
    EXPECT_FALSE(other->lock()) << "revoked"; // the last token frees the state
}

TEST(LockToken, FalseLeavesNoReadLockAndTrueHoldsOne)
{
    auto state = std::make_shared<LockToken::State>();
    {
        LockToken::Token t(state);
        EXPECT_TRUE(t.lock());
        EXPECT_FALSE(state->mutex.try_lock()) << "held while the token lives";
    }
    EXPECT_TRUE(state->mutex.try_lock()) << "released by the token's destruction";
    state->revoked = true;
    state->mutex.unlock();
    LockToken::Token t(state);
    EXPECT_FALSE(t.lock());
    EXPECT_TRUE(state->mutex.try_lock()) << "a false lock() holds nothing";
    state->mutex.unlock();
}

// The platform's deadlock report, as glibc gives it for a read lock asked
// by the thread that holds the write lock (musl's waits instead): injected.
TEST(LockToken, DeadlockReportIsThrown)
{
    auto state = std::make_shared<LockToken::State>();
    LockToken::Token t(state);
    try {
        fault::FailCalls deadlock("pthread_rwlock_rdlock", EDEADLK);
        t.lock();
        ADD_FAILURE() << "no exception";
    } catch (const std::system_error &e) {
        EXPECT_EQ(e.code(), std::errc::resource_deadlock_would_occur);
    }
    EXPECT_TRUE(t.lock()) << "the token is unchanged by the failure";
}

// Many threads lock tokens while the owner is destroyed: every true comes
// before the revocation and holds it off; every false comes after it.
TEST(LockToken, StressEveryTrueBeforeRevocationEveryFalseAfter)
{
    Watchdog watchdog(120);
    constexpr int kThreads = 6, kTokens = 3000;
    auto owner = std::make_unique<LockToken>();
    std::vector<std::vector<std::shared_ptr<LockToken::Token>>> tokens(kThreads);
    for (auto &mine : tokens)
        for (int i = 0; i < kTokens; i++)
            mine.push_back(owner->token());

    std::atomic<bool> destroying{false}, revoked{false};
    std::atomic<int> trues{0}, falses{0}, violations{0};
    std::vector<std::thread> threads;
    for (auto &mine : tokens)
        threads.emplace_back([&] {
            bool seenFalse = false;
            for (auto &t : mine) {
                if (t->lock()) {
                    trues++;
                    if (revoked || seenFalse)
                        violations++;
                    std::this_thread::yield(); // hold the lock a little
                    if (revoked)
                        violations++;
                } else {
                    falses++;
                    seenFalse = true;
                    if (!destroying)
                        violations++;
                }
                t.reset();
            }
        });
    std::this_thread::sleep_for(5ms);
    destroying = true;
    owner.reset();
    revoked = true;
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(violations, 0);
    EXPECT_EQ(trues + falses, kThreads * kTokens);
    EXPECT_GT(trues, 0);
}

} // namespace
