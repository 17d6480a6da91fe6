// Greatest common divisor, signed Euclid.
#include "vulm/gcd.h"

extern "C" int32_t gcd(int32_t a, int32_t b)
{
    if (b == 0)
        return a;
    for (;;) {
        // x rem -1 is 0 for every x; INT32_MIN / -1 would trap.
        int32_t r = b == -1 ? 0 : a % b;
        if (r == 0)
            return b;
        a = b;
        b = r;
    }
}
