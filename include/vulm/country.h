/*
 * ISO 3166-1 country codes, numeric <-> alpha-2, over a constant table of
 * the 249 officially assigned codes. Pure; any thread.
 */
#ifndef VULM_COUNTRY_H
#define VULM_COUNTRY_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

/* The two upper-case letters for a numeric code (4 -> "AF"), or NULL when
   no country has it. The string is the library's constant data: never
   modify or free it; the same code always gives the same pointer. */
VULM_API const char *country_getAlpha2(int32_t numeric);
/* The numeric code of the first country whose alpha-2 code equals the first
   two characters of `alpha2` (case-sensitive, strncmp with limit 2, so
   "USA" gives 840), or 0 for NULL or no match. */
VULM_API int32_t country_getNumeric(const char *alpha2);

VULM_END_C

#endif
