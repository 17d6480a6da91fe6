// CRC-16: polynomial 0x1021 MSB-first without a table, and 0xA001
// LSB-first with one.
#include "vulm/crc16.h"

#include <stddef.h>

namespace {

// Entry i: i shifted right eight times, XOR-ing 0xA001 after each shift
// that drops a set bit. Computed by the compiler into read-only data.
struct AnsiTable {
    uint16_t entry[256];

    constexpr AnsiTable() : entry()
    {
        for (unsigned i = 0; i < 256; i++) {
            unsigned c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
            entry[i] = (uint16_t)c;
        }
    }
};

constexpr AnsiTable ansiTable;

} // namespace

extern "C" {

uint16_t crc16_ccitt(uint16_t crc, const uint8_t *data, uint32_t count)
{
    if (data == NULL)
        return crc;
    unsigned c = crc;
    for (uint32_t i = 0; i < count; i++) {
        c = ((c >> 8) | (c << 8)) & 0xFFFF;
        c ^= data[i];
        c ^= (c & 0xFF) >> 4;
        c = (c ^ (c << 12)) & 0xFFFF;
        c ^= (c & 0xFF) << 5;
    }
    return (uint16_t)c;
}

uint16_t crc16_ansi(uint16_t crc, const uint8_t *data, uint32_t count)
{
    if (data == NULL)
        return crc;
    unsigned c = crc;
    for (uint32_t i = 0; i < count; i++)
        c = ansiTable.entry[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return (uint16_t)c;
}

} // extern "C"
