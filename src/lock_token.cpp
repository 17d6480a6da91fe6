// Lock token: revocable shared access on a reader-preferring rwlock.
#include "vulm/lock_token.h"

#include <utility>

LockToken::LockToken() : state(std::make_shared<State>())
{
}

LockToken::~LockToken()
{
    {
        std::unique_lock<std::shared_mutex> exclusive(state->mutex);
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
}

bool LockToken::Token::lock()
{
    // lock_shared() retries EAGAIN and throws on EDEADLK.
    std::shared_lock<std::shared_mutex> fresh(state->mutex);
    if (state->revoked)
        return false;
    std::swap(heldLock, fresh); // the old lock, if any, goes with `fresh`
    return true;
}
