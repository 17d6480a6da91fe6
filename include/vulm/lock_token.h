/*
 * Lock token (C++ only): guards an owner object that callbacks reach later.
 * The owner keeps a LockToken and hands each callback a token from token().
 * Before touching the owner, the callback calls lock():
 *   true:  not revoked; the LockToken's destructor cannot finish until this
 *          token is destroyed, so the owner may be used;
 *   false: revoked; leave the owner alone.
 * ~LockToken() waits until no token holds its lock, then revokes all tokens
 * for good. Tokens may outlive the LockToken and then answer false.
 *
 * One reader-writer lock per LockToken (glibc's default pthread_rwlock_t
 * behind std::shared_mutex, which prefers readers: a token already holding
 * its read lock can take another while the destructor waits). Tokens take
 * it shared, the destructor exclusively, once.
 *
 * Threads: token() and lock() on different tokens may run concurrently. One
 * token is not synchronised: do not lock() it on two threads at once, or
 * while it is being destroyed. The thread destroying a LockToken must not
 * hold one of its tokens' locks, and holders drop their tokens as soon as
 * the guarded work is done. Copying and moving are not offered.
 */
#ifndef VULM_LOCK_TOKEN_H
#define VULM_LOCK_TOKEN_H

#include <memory>
#include <mutex>
#include <shared_mutex>

#include "api.h"

class VULM_API LockToken {
public:
    class State;
    class Token;

    /* Throws std::bad_alloc; nothing stays allocated then. */
    LockToken();
    /* Blocks until no token holds its lock, then revokes every token. */
    ~LockToken();
    /* A new token, holding no lock, never null. Throws std::bad_alloc. Must
       not be called once the destructor has begun. */
    std::shared_ptr<Token> token() const;

    LockToken(const LockToken &) = delete;
    LockToken &operator=(const LockToken &) = delete;

private:
    std::shared_ptr<State> state;
};

/* Shared by a LockToken and all its tokens; freed with the last of them. */
class VULM_API LockToken::State {
public:
    std::shared_mutex mutex; /* statically initialised, never destroyed */
    bool revoked = false;    /* written only under the exclusive lock */
};

class VULM_API LockToken::Token {
public:
    /* Shares `state`; holds no lock. Tokens normally come from token(). */
    explicit Token(std::shared_ptr<LockToken::State> const &state);
    /*
     * true: a read lock is now held by this token (a held one is exchanged
     * for a new one, taken before the old is released); false: revoked, no
     * lock held. Throws std::system_error (resource_deadlock_would_occur)
     * when the platform reports a deadlock. The lock is released only when
     * the token is destroyed.
     */
    bool lock();

private:
    std::shared_ptr<LockToken::State> state;
    std::shared_lock<std::shared_mutex> heldLock;
};

#endif
