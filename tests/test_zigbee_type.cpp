#include "vulm/zigbee_type.h"

#include <gtest/gtest.h>

namespace {

// The ZCL data type table, written out per identifier range.
struct Range {
    unsigned first, last;
    bool simple, string;
    const char *what;
};

const Range kTable[] = {
    {0x00, 0x00, false, false, "no data"},
    {0x01, 0x07, false, false, "reserved"},
    {0x08, 0x0F, true, false, "general data"},
    {0x10, 0x10, true, false, "Boolean"},
    {0x11, 0x17, false, false, "reserved"},
    {0x18, 0x1F, true, false, "bitmap"},
    {0x20, 0x27, true, false, "unsigned integer"},
    {0x28, 0x2F, true, false, "signed integer"},
    {0x30, 0x31, true, false, "enumeration"},
    {0x32, 0x37, false, false, "reserved"},
    {0x38, 0x3A, false, false, "floating point"},
    {0x3B, 0x40, false, false, "reserved"},
    {0x41, 0x44, false, true, "string"},
    {0x45, 0xDF, false, false, "reserved, array, structure, set, bag"},
    {0xE0, 0xE2, true, false, "time of day, date, UTC time"},
    {0xE3, 0xFF, false, false, "identifiers, IEEE address, key, unknown, reserved"},
};

TEST(ZigbeeType, EveryIdentifierHasItsClass)
{
    unsigned next = 0;
    for (const Range &r : kTable) {
        ASSERT_EQ(r.first, next) << "table has a gap";
        for (unsigned t = r.first; t <= r.last; t++) {
            EXPECT_EQ(zigbeeType_isAttrTypeSimple(uint8_t(t)), r.simple) << std::hex << t << " " << r.what;
            EXPECT_EQ(zigbeeType_isAttrTypeString(uint8_t(t)), r.string) << std::hex << t << " " << r.what;
        }
        next = r.last + 1;
    }
    EXPECT_EQ(next, 0x100u);
}

} // namespace
