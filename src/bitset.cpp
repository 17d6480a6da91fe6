// Fixed-size heap bitsets.
#include "vulm/bitset.h"

#include <stdlib.h>
#include <string.h>

extern "C" {

// Bytes holding bitCount bits, without 32-bit wrap-around near 2^32.
static size_t byte_count(uint32_t bitCount)
{
    return ((uint64_t)bitCount + 7) / 8;
}

bitset_t *bitset_make(uint32_t bitCount)
{
    bitset_t *set = (bitset_t *)malloc(sizeof *set);
    if (set == NULL)
        return NULL;
    set->bits = (uint8_t *)calloc(byte_count(bitCount), 1);
    if (set->bits == NULL) {
        free(set);
        return NULL;
    }
    set->bitCount = bitCount;
    return set;
}

void bitset_delete(bitset_t **handle)
{
    if (handle == NULL || *handle == NULL)
        return;
    free((*handle)->bits);
    free(*handle);
    *handle = NULL;
}

void bitset_set_bit(bitset_t *set, uint32_t index)
{
    if (set == NULL || index >= set->bitCount)
        return;
    set->bits[index / 8] |= (uint8_t)(1u << (index % 8));
}

void bitset_clear_bit(bitset_t *set, uint32_t index)
{
    if (set == NULL || index >= set->bitCount)
        return;
    set->bits[index / 8] &= (uint8_t)~(1u << (index % 8));
}

int bitset_get_bit(const bitset_t *set, uint32_t index)
{
    if (set == NULL || index >= set->bitCount)
        return 0;
    return (set->bits[index / 8] >> (index % 8)) & 1;
}

int bitset_compare(const bitset_t *first, const bitset_t *second)
{
    if (first == NULL || second == NULL || first->bitCount != second->bitCount)
        return 0;
    size_t bytes = byte_count(first->bitCount);
    return bytes == 0 || memcmp(first->bits, second->bits, bytes) == 0;
}

void bitset_flush(bitset_t *set)
{
    if (set == NULL)
        return;
    memset(set->bits, 0, byte_count(set->bitCount));
}

void bitset_copy(const bitset_t *source, bitset_t *destination)
{
    if (source == NULL || destination == NULL)
        return;
    size_t bytes = byte_count(source->bitCount);
    if (bytes != byte_count(destination->bitCount) || source == destination)
        return;
    memcpy(destination->bits, source->bits, bytes);
}

} // extern "C"
