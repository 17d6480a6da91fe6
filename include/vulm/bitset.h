/*
 * Bitset: a fixed number of bits on the heap, all clear when made. Bit i is
 * bit (i % 8) of byte i / 8, bit 0 being the least significant. Spare bits
 * of the last byte are never changed by set/clear nor reported by get, but
 * the whole-byte operations (copy, compare, flush) include them.
 *
 * Nothing is locked: callers serialise writers of a set against all other
 * use of it; reads of an unchanging set may run in parallel.
 */
#ifndef VULM_BITSET_H
#define VULM_BITSET_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

typedef struct bitset_t {
    uint8_t *bits;     /* (bitCount + 7) / 8 bytes, owned by the set */
    uint32_t bitCount; /* fixed when the set is made */
} bitset_t;

/* A new set of bitCount clear bits, released with bitset_delete; NULL when
   either allocation fails (nothing stays allocated). */
VULM_API bitset_t *bitset_make(uint32_t bitCount);
/* Frees *handle and its bits and sets *handle to NULL. A null handle, or a
   handle holding NULL, is ignored. */
VULM_API void bitset_delete(bitset_t **handle);
/* Set or clear bit index; a null set or an index >= bitCount is ignored. */
VULM_API void bitset_set_bit(bitset_t *set, uint32_t index);
VULM_API void bitset_clear_bit(bitset_t *set, uint32_t index);
/* 1 if bit index is set; 0 otherwise, for a null set or index >= bitCount. */
VULM_API int bitset_get_bit(const bitset_t *set, uint32_t index);
/* 1 when both sets are non-null, have equal bitCount and equal bytes
   (spare bits included); 0 otherwise. */
VULM_API int bitset_compare(const bitset_t *first, const bitset_t *second);
/* Clears every byte, spare bits included. A null set is ignored. */
VULM_API void bitset_flush(bitset_t *set);
/* Copies all bytes of source into destination when both are non-null and
   have the same byte count (bit counts may differ); otherwise does nothing.
   The destination keeps its bitCount. */
VULM_API void bitset_copy(const bitset_t *source, bitset_t *destination);

VULM_END_C

#endif
