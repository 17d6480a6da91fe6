/*
 * Pointer vector: a growable array of non-null pointers in the order they
 * were appended. It stores the pointers only and never dereferences them.
 * A full vector grows by exactly one slot per append (one allocation of the
 * exact new size, one copy, one release); storage never shrinks until the
 * vector is cleared. The record belongs to the caller (vector_construct on
 * its own record, or vector_make and later free()); the slot block belongs
 * to the vector; the elements belong to the caller.
 *
 * Nothing is locked: callers serialise every change of a vector against all
 * other use of it; getSize/getElement on an unchanging vector may run in
 * parallel.
 */
#ifndef VULM_VECTOR_H
#define VULM_VECTOR_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

typedef struct vector_t {
    void **items;           /* slot block, NULL while there is no storage */
    uint32_t size;          /* elements in slots 0 .. size - 1 */
    uint32_t capacityBytes; /* bytes of the block: slots * sizeof(void *) */
} vector_t;

/* Zeroes all three fields; frees nothing. A null vector is ignored. */
VULM_API void vector_construct(vector_t *vector);
/* A new malloc'ed, constructed record (release with vector_destruct and
   free), or NULL when it cannot be allocated. */
VULM_API vector_t *vector_make(void);
/* Frees the slot block (not the elements) and zeroes the fields; a vector
   without storage, or a null one, is left unchanged. */
VULM_API void vector_clear(vector_t *vector);
/* Same as vector_clear; the record itself is not freed. */
VULM_API void vector_destruct(vector_t *vector);
/* free()s every non-null element, in index order, leaving size and slots as
   they are; follow with vector_clear or vector_destruct. */
VULM_API void vector_freeElements(vector_t *vector);
/* Clears destination, hands it source's block and fields, and empties
   source. Either null: nothing happens. Onto itself: the vector ends empty. */
VULM_API void vector_move(vector_t *destination, vector_t *source);
/* Number of elements; 0 for a null vector. */
VULM_API uint32_t vector_getSize(const vector_t *vector);
/* Element at index, or NULL for a null vector or index >= size. */
VULM_API void *vector_getElement(const vector_t *vector, uint32_t index);
/* Appends element; null vector or element is ignored. When the larger block
   cannot be allocated (or would exceed 2^32 - 1 bytes) the vector is left
   exactly as it was and the element is not added. */
VULM_API void vector_pushBack(vector_t *vector, void *element);
/* Removes the first occurrence of element, keeping the order of the others,
   if it is found in slots 0 to 65535; otherwise changes nothing. */
VULM_API void vector_remove(vector_t *vector, void *element);

VULM_END_C

#endif
