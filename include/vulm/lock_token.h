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
 * One reader-writer lock per LockToken, a POSIX read-write lock of the
 * platform's default kind, which prefers readers: a token already holding
 * its read lock can take another while the destructor waits. Tokens take
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

#include <pthread.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <shared_mutex> /* std::shared_lock */
#include <system_error>

#include "api.h"

class VULM_API LockToken {
public:
#if defined(_GLIBCXX_USE_PTHREAD_RWLOCK_T)
    using ReadWriteLock = std::shared_mutex;
#else
    class ReadWriteLock;
#endif
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

/*
 * LockToken::ReadWriteLock, the State's lock: a POSIX read-write lock of the
 * platform's default kind, statically initialised and never destroyed, with
 * the standard shared-mutex members; lock_shared() and lock() retry EAGAIN
 * and throw std::system_error for any other failure (EDEADLK:
 * resource_deadlock_would_occur). The default kind of glibc and of musl
 * grants a read lock whenever only readers hold the lock, even while a
 * writer waits, which a token that locks again while ~LockToken() waits
 * relies on. libstdc++'s std::shared_mutex is exactly that lock (one
 * pthread_rwlock_t, its EAGAIN and EDEADLK handled so) and is used as it is
 * there, so that the classes stay what they have been. Elsewhere it is the
 * class below, not the runtime's std::shared_mutex, whose reader preference
 * is the runtime's own: libc++ builds it on a mutex and two condition
 * variables and admits no new reader once a writer waits.
 */
#if !defined(_GLIBCXX_USE_PTHREAD_RWLOCK_T)
class LockToken::ReadWriteLock {
public:
    ReadWriteLock() = default;
    ReadWriteLock(const ReadWriteLock &) = delete;
    ReadWriteLock &operator=(const ReadWriteLock &) = delete;

    void lock() { take(pthread_rwlock_wrlock); }
    bool try_lock() { return pthread_rwlock_trywrlock(&handle) == 0; }
    void unlock() { pthread_rwlock_unlock(&handle); }
    void lock_shared() { take(pthread_rwlock_rdlock); }
    bool try_lock_shared() { return pthread_rwlock_tryrdlock(&handle) == 0; }
    void unlock_shared() { pthread_rwlock_unlock(&handle); }

private:
    void take(int (*acquire)(pthread_rwlock_t *))
    {
        int error;
        while ((error = acquire(&handle)) == EAGAIN) {
        }
        if (error != 0)
            throw std::system_error(error, std::generic_category());
    }

    pthread_rwlock_t handle = PTHREAD_RWLOCK_INITIALIZER;
};
#endif

/* Shared by a LockToken and all its tokens; freed with the last of them. */
class VULM_API LockToken::State {
public:
    ReadWriteLock mutex;  /* statically initialised, never destroyed */
    bool revoked = false; /* written only under the exclusive lock */
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
    std::shared_lock<LockToken::ReadWriteLock> heldLock; /* the lock and an owns flag */
};

#endif
