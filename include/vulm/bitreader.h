/*
 * Bit reader: fields of 1 to 64 bits out of a caller-owned byte buffer.
 * Bit position p is bit (p % 8) of byte p / 8, bit 0 being the least
 * significant; a field's first bit is its value's least significant bit
 * (the buffer read as one little-endian integer).
 *
 * The reader never allocates, copies or frees the buffer. Reads write
 * nothing and may run on any number of threads; construct and destruct
 * write the record and must not overlap reads through it.
 */
#ifndef VULM_BITREADER_H
#define VULM_BITREADER_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

typedef struct bitreader_t {
    const uint8_t *data; /* caller's buffer; NULL: no buffer, reads yield 0 */
    uint32_t size;       /* bytes in the buffer */
} bitreader_t;

/* The part of a field that lies in the byte holding its last bit. */
typedef struct bitfield_t {
    uint32_t length; /* bits in the chunk, 1 to 8; 0 for a refused call */
    uint8_t value;   /* the chunk's bits, right-aligned */
} bitfield_t;

/* Binds reader to data[0..size). Null reader or null data: no change. */
VULM_API void bitreader_construct(bitreader_t *reader, const uint8_t *data, uint32_t size);
/* Unbinds a bound reader (data NULL, size 0); an empty one is left as is. */
VULM_API void bitreader_destruct(bitreader_t *reader);
/* Bit `position`; 0 for a null reader or buffer or a position past the end. */
VULM_API int bitreader_getBit(const bitreader_t *reader, uint32_t position);
/*
 * The most significant chunk of the field, the part in its last byte. The
 * caller passes a bound reader, length >= 1 and a field inside the buffer
 * that does not pass bit position 2^32 - 1. Outside that it reads nothing
 * outside the buffer: a null reader or buffer, length 0 or a last byte past
 * the end give length 0, value 0; a field passing 2^32 - 1 wraps and gives
 * an unspecified chunk.
 */
VULM_API bitfield_t bitreader_getNextBitfield(const bitreader_t *reader, uint32_t start, uint32_t length);
/*
 * The field [start, start + length) as an unsigned value, or as a
 * two's-complement value sign-extended to 64 bits. Yields 0, reading
 * nothing, for a null reader or buffer, a length outside 1..64, or a last
 * bit past the end of the buffer (computed without 32-bit wrap-around).
 */
VULM_API uint64_t bitreader_getUnsigned(const bitreader_t *reader, uint32_t start, uint32_t length);
VULM_API int64_t bitreader_getSigned(const bitreader_t *reader, uint32_t start, uint32_t length);

VULM_END_C

#endif
