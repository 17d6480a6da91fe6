// Lock token: revocable shared access on a reader-preferring POSIX rwlock.
#include "vulm/lock_token.h"
#include "layout.h"

#include <algorithm>
#include <cstddef>
#include <utility>

using vulm_layout::roundUp;

namespace {

} // namespace

// Clients hold LockTokens and tokens by value and their code reaches the
// state's members, so the three layouts are fixed: the members' types in
// their order, nothing else (abi/layout.txt has the figures). A class derived
// from one places its first member where the base's own end, in its tail
// padding: a member added anywhere fails the build.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof" // the probes are not standard-layout; GCC and clang agree

LockToken::LockToken() : state(std::make_shared<State>())
{
    struct probe : LockToken {
        char end;
    };
    using Pointer = std::shared_ptr<State>;
    static_assert(offsetof(LockToken, state) == 0, "layout");
    static_assert(offsetof(probe, end) == sizeof(Pointer), "layout");
    static_assert(sizeof(LockToken) == sizeof(Pointer) && alignof(LockToken) == alignof(Pointer), "layout");

    struct stateProbe : State {
        char end;
    };
    constexpr std::size_t revokedAt = roundUp(sizeof(pthread_rwlock_t), alignof(bool));
    static_assert(offsetof(State, mutex) == 0 && offsetof(State, revoked) == revokedAt, "layout");
    static_assert(offsetof(stateProbe, end) == revokedAt + sizeof(bool), "layout");
    static_assert(sizeof(ReadWriteLock) == sizeof(pthread_rwlock_t), "layout");
    static_assert(alignof(State) == alignof(pthread_rwlock_t), "layout");
    static_assert(sizeof(State) == roundUp(revokedAt + sizeof(bool), alignof(State)), "layout");
}

LockToken::~LockToken()
{
    {
        std::unique_lock<ReadWriteLock> exclusive(state->mutex);
        state->revoked = true;
    }
    // `state` is dropped with the member; the last token frees it otherwise.
}

std::shared_ptr<LockToken::Token> LockToken::token() const
{
    return std::make_shared<Token>(state);
}

LockToken::Token::Token(std::shared_ptr<LockToken::State> const &state) : state(state)
{
    struct probe : Token {
        char end;
    };
    using Pointer = std::shared_ptr<LockToken::State>;
    using Lock = std::shared_lock<ReadWriteLock>;
    constexpr std::size_t heldLockAt = roundUp(sizeof(Pointer), alignof(Lock));
    static_assert(offsetof(Token, state) == 0 && offsetof(Token, heldLock) == heldLockAt, "layout");
    static_assert(offsetof(probe, end) == heldLockAt + sizeof(Lock), "layout");
    static_assert(alignof(Token) == std::max(alignof(Pointer), alignof(Lock)), "layout");
    static_assert(sizeof(Token) == roundUp(heldLockAt + sizeof(Lock), alignof(Token)), "layout");
}

#pragma GCC diagnostic pop

bool LockToken::Token::lock()
{
    // lock_shared() retries EAGAIN and throws on EDEADLK.
    std::shared_lock<ReadWriteLock> fresh(state->mutex);
    if (state->revoked)
        return false;
    std::swap(heldLock, fresh); // the old lock, if any, goes with `fresh`
    return true;
}
