// The bit reader against the buffer read as one little-endian integer.
// Input: 4 bytes start, 1 byte length, then the buffer.
#include <stdlib.h>
#include <string.h>

#include "../tests/models.h"
#include "vulm/bitreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    uint32_t start;
    memcpy(&start, data, 4);
    if (data[4] & 0x80) // mostly positions inside small buffers
        start %= 8 * (size - 5) + 16;
    uint32_t length = data[4] & 0x7F;
    const uint8_t *buf = data + 5;
    uint32_t bytes = uint32_t(size - 5);
    bitreader_t reader = {NULL, 0};
    bitreader_construct(&reader, buf, bytes);

    bool fits = length >= 1 && length <= 64 && uint64_t(start) + length <= 8 * uint64_t(bytes);
    uint64_t u = bitreader_getUnsigned(&reader, start, length);
    int64_t s = bitreader_getSigned(&reader, start, length);
    if (u != (fits ? model::bitsUnsigned(buf, start, length) : 0))
        abort();
    if (s != (fits ? model::bitsSigned(buf, start, length) : 0))
        abort();
    bool inside = start / 8 < bytes;
    if (bitreader_getBit(&reader, start) != (inside ? int(model::bitsUnsigned(buf, start, 1)) : 0))
        abort();
    return 0;
}
