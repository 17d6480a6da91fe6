// Growable array of pointers, one slot at a time.
#include "vulm/vector.h"

#include <stdlib.h>
#include <string.h>

extern "C" {

void vector_construct(vector_t *vector)
{
    if (vector == NULL)
        return;
    vector->items = NULL;
    vector->size = 0;
    vector->capacityBytes = 0;
}

vector_t *vector_make(void)
{
    vector_t *vector = (vector_t *)malloc(sizeof *vector);
    vector_construct(vector);
    return vector;
}

void vector_clear(vector_t *vector)
{
    if (vector == NULL || vector->items == NULL)
        return;
    free(vector->items);
    vector_construct(vector);
}

void vector_destruct(vector_t *vector)
{
    vector_clear(vector);
}

void vector_freeElements(vector_t *vector)
{
    if (vector == NULL || vector->items == NULL)
        return;
    for (uint32_t i = 0; i < vector->size; i++)
        free(vector->items[i]);
}

void vector_move(vector_t *destination, vector_t *source)
{
    if (destination == NULL || source == NULL)
        return;
    vector_clear(destination);
    *destination = *source;
    vector_construct(source);
}

uint32_t vector_getSize(const vector_t *vector)
{
    return vector == NULL ? 0 : vector->size;
}

void *vector_getElement(const vector_t *vector, uint32_t index)
{
    if (vector == NULL || index >= vector->size)
        return NULL;
    return vector->items[index];
}

void vector_pushBack(vector_t *vector, void *element)
{
    if (vector == NULL || element == NULL)
        return;
    uint64_t needed = ((uint64_t)vector->size + 1) * sizeof(void *);
    if (vector->capacityBytes < needed) {
        if (needed > UINT32_MAX)
            return; // capacityBytes could not describe the block
        void **block = (void **)malloc((size_t)needed);
        if (block == NULL)
            return;
        if (vector->items != NULL) {
            memcpy(block, vector->items, (size_t)vector->size * sizeof(void *));
            free(vector->items);
        }
        vector->items = block;
        vector->capacityBytes = (uint32_t)needed;
    }
    vector->items[vector->size++] = element;
}

void vector_remove(vector_t *vector, void *element)
{
    if (vector == NULL || element == NULL)
        return;
    uint32_t i = 0;
    while (i < vector->size && vector->items[i] != element)
        i++;
    if (i == vector->size || i > 65535)
        return;
    for (; i + 1 < vector->size; i++)
        vector->items[i] = vector->items[i + 1];
    vector->size--;
}

} // extern "C"
