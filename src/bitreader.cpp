// Bit reader over a caller-owned buffer.
#include "vulm/bitreader.h"

#include <stddef.h>

extern "C" {

void bitreader_construct(bitreader_t *reader, const uint8_t *data, uint32_t size)
{
    if (reader == NULL || data == NULL)
        return;
    reader->data = data;
    reader->size = size;
}

void bitreader_destruct(bitreader_t *reader)
{
    if (reader == NULL || reader->data == NULL)
        return;
    reader->data = NULL;
    reader->size = 0;
}

int bitreader_getBit(const bitreader_t *reader, uint32_t position)
{
    if (reader == NULL || reader->data == NULL || position / 8 >= reader->size)
        return 0;
    return (reader->data[position / 8] >> (position % 8)) & 1;
}

bitfield_t bitreader_getNextBitfield(const bitreader_t *reader, uint32_t start, uint32_t length)
{
    bitfield_t chunk = {0, 0};
    uint32_t end = start + length;
    uint32_t lastByteStart = (end - 1) & ~7u;
    uint32_t chunkStart = start > lastByteStart ? start : lastByteStart;
    // Guard for direct callers: never read outside the buffer.
    if (reader == NULL || reader->data == NULL || length == 0 || chunkStart / 8 >= reader->size)
        return chunk;
    uint8_t b = reader->data[chunkStart / 8];
    if (end % 8 != 0)
        b &= 0xFFu >> (8 - end % 8);
    chunk.length = end - chunkStart;
    chunk.value = (uint8_t)(b >> (chunkStart % 8));
    return chunk;
}

// Whether a field may be read: bound reader, length 1..64, last bit inside
// the buffer. 64-bit sum, so a field running past 2^32 - 1 fails too.
static bool field_ok(const bitreader_t *reader, uint32_t start, uint32_t length)
{
    if (reader == NULL || reader->data == NULL || length < 1 || length > 64)
        return false;
    return ((uint64_t)start + length - 1) / 8 < reader->size;
}

// Shifts the field's chunks in from its last byte down to its first.
static uint64_t assemble(const bitreader_t *reader, uint32_t start, uint32_t length, uint64_t result)
{
    uint32_t remaining = length;
    while (remaining != 0) {
        bitfield_t chunk = bitreader_getNextBitfield(reader, start, remaining);
        result = (result << chunk.length) | chunk.value;
        remaining -= chunk.length;
    }
    return result;
}

uint64_t bitreader_getUnsigned(const bitreader_t *reader, uint32_t start, uint32_t length)
{
    if (!field_ok(reader, start, length))
        return 0;
    return assemble(reader, start, length, 0);
}

int64_t bitreader_getSigned(const bitreader_t *reader, uint32_t start, uint32_t length)
{
    if (!field_ok(reader, start, length))
        return 0;
    // Ones shifted up from the start fill every bit above the field.
    uint64_t fill = bitreader_getBit(reader, start + length - 1) ? ~(uint64_t)0 : 0;
    return (int64_t)assemble(reader, start, length, fill);
}

} // extern "C"
