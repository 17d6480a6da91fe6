// Bit reader over a caller-owned buffer.
#include "vulm/bitreader.h"

#include <stddef.h>

// The start of the byte holding the field's last bit, or the field's start
// when that lies inside the same byte.
static uint32_t last_byte_start(uint32_t start, uint32_t length)
{
    uint32_t lastByte = (start + length - 1) & ~7u;
    return start > lastByte ? start : lastByte;
}

// The field's most significant part that lies within one byte: the bits
// from the later of its start and the start of its last byte up to its
// end, right-aligned. The caller has checked that the field lies inside
// the buffer.
static bitfield_t next_chunk(const uint8_t *data, uint32_t start, uint32_t length)
{
    uint32_t chunkStart = last_byte_start(start, length);
    uint32_t bits = start + length - chunkStart; // 1 to 8
    uint32_t b = data[chunkStart / 8] >> (chunkStart % 8);
    bitfield_t chunk = {bits, (uint8_t)(b & ((1u << bits) - 1))};
    return chunk;
}

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
    bitfield_t none = {0, 0};
    // Guard for direct callers: never read outside the buffer.
    if (reader == NULL || reader->data == NULL || length == 0 ||
        last_byte_start(start, length) / 8 >= reader->size)
        return none;
    return next_chunk(reader->data, start, length);
}

// Whether a field may be read: bound reader, length 1..64, last bit inside
// the buffer. The last position is summed in 64 bits: a field running past
// position 2^32 - 1 is rejected, not wrapped to the front of the buffer,
// also when the buffer is larger than 2^32 bits.
static bool field_ok(const bitreader_t *reader, uint32_t start, uint32_t length)
{
    if (reader == NULL || reader->data == NULL || length < 1 || length > 64)
        return false;
    uint64_t last = (uint64_t)start + length - 1;
    return last <= UINT32_MAX && last / 8 < reader->size;
}

// Shifts the field's chunks in from its last byte down to its first, as
// bitreader_getNextBitfield yields them.
static uint64_t assemble(const bitreader_t *reader, uint32_t start, uint32_t length, uint64_t result)
{
    uint32_t remaining = length;
    while (remaining != 0) {
        bitfield_t chunk = next_chunk(reader->data, start, remaining);
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
