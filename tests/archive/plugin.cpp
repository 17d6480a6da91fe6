// A C++ plugin linked with the static archive, using its classes: its
// copy's string_false, or null when the library answers wrongly inside it.
#include <vulm/lock_token.h>
#include <vulm/semaphore.h>
#include <vulm/string.h>

extern "C" __attribute__((visibility("default"))) const void *plugin_copy(void)
{
    LockToken owner;
    std::shared_ptr<LockToken::Token> token = owner.token();
    semaphore units(1, nullptr);
    if (!token->lock() || !units.tryWait() || units.tryWait())
        return nullptr;
    return string_false;
}
