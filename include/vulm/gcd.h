/*
 * Greatest common divisor by Euclid's algorithm on signed values, with
 * remainders truncated toward zero and no absolute values taken: the result
 * is the last non-zero member of a, b, a rem b, ... Its magnitude is the gcd
 * of the magnitudes (gcd(0, 0) = 0); its sign follows the remainders, so it
 * is non-negative when both arguments are. A divisor of -1 is answered
 * without dividing, so INT32_MIN and -1 are safe. Pure; any thread.
 */
#ifndef VULM_GCD_H
#define VULM_GCD_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

VULM_API int32_t gcd(int32_t a, int32_t b);

VULM_END_C

#endif
