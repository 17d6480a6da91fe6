/*
 * Text utilities: integer and boolean conversions with result codes,
 * delimited field extraction, ASCII and UTF-8 validation.
 *
 * Every function is reentrant and keeps no state. Strings handed back are
 * heap blocks that belong to the caller, who releases them with free().
 */
#ifndef VULM_STRING_H
#define VULM_STRING_H

#include <stdbool.h>
#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

/* Result codes of the conversions; the values are fixed. */
typedef enum status_t {
    STATUS_SUCCESS = 0,
    STATUS_INVALID_VALUE = 10,
    STATUS_NULL_ARGUMENT = 11,
    STATUS_NO_MEMORY = 18
} status_t;

/* The words written by string_fromBool, as arrays with their NUL. */
VULM_API extern const char string_true[5];
VULM_API extern const char string_false[6];

/*
 * Parsing: the whole text must be one number in C base-0 notation (optional
 * leading white space and sign; "0x" hex, leading-0 octal, or decimal) and
 * nothing after it. On success the output is written with exactly its own
 * width; on failure it is left untouched (but see string_toS32). Null
 * pointers give STATUS_NULL_ARGUMENT; bad text and out-of-range values
 * (negative ones included) give STATUS_INVALID_VALUE. errno is neither
 * cleared nor read; the parser may leave it set to ERANGE.
 */
VULM_API status_t string_toU8(const char *text, uint8_t *out);
VULM_API status_t string_toU16(const char *text, uint16_t *out);
VULM_API status_t string_toU32(const char *text, uint32_t *out);
/* Values beyond the 64-bit range are clamped and reported as success. */
VULM_API status_t string_toS64(const char *text, int64_t *out);
/*
 * A leading "-" negates the string_toU32 value of the rest. Accepts
 * -2147483647 to 2147483647. When string_toU32 refuses the rest (no number,
 * a negative one, or 2^32 or more), *out is set to 0; a magnitude from 2^31
 * to 2^32 - 1 leaves *out untouched.
 */
VULM_API status_t string_toS32(const char *text, int32_t *out);

/*
 * Formatting: *result receives a new calloc'ed string "<prefix><value>",
 * *size its size in bytes (length + 1). The prefix must not be null.
 * Null result or size pointer: STATUS_NULL_ARGUMENT, nothing written.
 * Failure to measure: STATUS_NO_MEMORY with *size 0, *result untouched.
 * Failure to allocate: STATUS_NO_MEMORY with *result NULL, *size set.
 */
VULM_API status_t string_fromBool(bool value, const char *prefix, char **result, uint32_t *size);
VULM_API status_t string_fromS32(int32_t value, const char *prefix, char **result, uint32_t *size);
VULM_API status_t string_fromU16(uint16_t value, const char *prefix, char **result, uint32_t *size);

/*
 * Field `index` (from 0) of `text` split at `delimiter`, as a new malloc'ed
 * string the caller frees. Only the first strlen(text) % 256 bytes count;
 * an index past the last delimiter selects the last field; a NUL delimiter
 * matches nothing. Null text or allocation failure: NULL.
 */
VULM_API char *string_getDelimitedStringPart(const char *text, char delimiter, uint32_t index);

/*
 * Whether the `length` bytes at `data` are 7-bit ASCII, or well-formed
 * UTF-8 (shortest forms of U+0000..U+10FFFF without surrogates). NUL is an
 * ordinary byte; nothing at or beyond `length` is read. Null data is false,
 * even with length 0; any other data of length 0 is true.
 */
VULM_API bool string_isAscii(const char *data, uint32_t length);
VULM_API bool string_isUtf8(const char *data, uint32_t length);

VULM_END_C

#endif
