// Both CRCs against their bit-by-bit definitions, whole and piecewise:
// fuzz/fuzz_crc. Here: the published check values of each parametrisation.
#include "vulm/crc16.h"

#include <gtest/gtest.h>

namespace {

TEST(Crc16, PublishedCheckValues)
{
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const struct {
        uint16_t (*fn)(uint16_t, const uint8_t *, uint32_t);
        uint16_t init, xorOut, check;
        const char *name;
    } cases[] = {
        {crc16_ccitt, 0x0000, 0, 0x31C3, "XMODEM"},  {crc16_ccitt, 0xFFFF, 0, 0x29B1, "IBM-3740"},
        {crc16_ccitt, 0x1D0F, 0, 0xE5CC, "SPI-FUJITSU"}, {crc16_ansi, 0x0000, 0, 0xBB3D, "ARC"},
        {crc16_ansi, 0xFFFF, 0, 0x4B37, "MODBUS"},   {crc16_ansi, 0xFFFF, 0xFFFF, 0xB4C8, "USB"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.fn(c.init, check, sizeof check) ^ c.xorOut, c.check) << c.name;
        EXPECT_EQ(c.fn(0x1234, NULL, 10), 0x1234) << c.name;
    }
}

} // namespace
