// Both CRCs: piecewise equal to one-shot, one-shot equal to the bit-by-bit
// definition. Input: 2 bytes initial CRC, 2 bytes split point, the message.
#include <stdlib.h>

#include "../tests/models.h"
#include "vulm/crc16.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    uint16_t init = uint16_t(data[0] | data[1] << 8);
    const uint8_t *msg = data + 4;
    uint32_t n = uint32_t(size - 4);
    uint32_t split = n ? uint32_t(data[2] | data[3] << 8) % (n + 1) : 0;
    using Crc = uint16_t (*)(uint16_t, const uint8_t *, uint32_t);
    const struct {
        Crc fn;
        uint16_t (*model)(uint16_t, const uint8_t *, size_t);
    } crcs[] = {{crc16_ccitt, model::crcCcitt}, {crc16_ansi, model::crcAnsi}};
    for (const auto &c : crcs) {
        uint16_t whole = c.fn(init, msg, n);
        if (whole != c.model(init, msg, n) || c.fn(c.fn(init, msg, split), msg + split, n - split) != whole)
            abort();
    }
    return 0;
}
