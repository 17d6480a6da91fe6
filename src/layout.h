// Compile-time arithmetic for the classes' layout checks (semaphore.cpp,
// lock_token.cpp): the offsets a member list gives, computed from the member
// types alone, so that a class's bytes cannot change without a failed build.
#ifndef VULM_SRC_LAYOUT_H
#define VULM_SRC_LAYOUT_H

#include <cstddef>

namespace vulm_layout {

// Where a member aligned to `align` goes after `n` bytes.
constexpr std::size_t roundUp(std::size_t n, std::size_t align)
{
    return (n + align - 1) / align * align;
}

} // namespace vulm_layout

#endif
