#include "vulm/zigbee_type.h"

#include <gtest/gtest.h>

namespace {

struct Range {
    unsigned first, last;
};

bool within(unsigned t, std::initializer_list<Range> ranges)
{
    for (const Range &r : ranges)
        if (t >= r.first && t <= r.last)
            return true;
    return false;
}

// Simple: general data, Boolean, bitmaps, integers, enumerations, time of
// day, date, UTC time. String: octet and character strings, short and long.
TEST(ZigbeeType, EveryIdentifierHasItsClass)
{
    for (unsigned t = 0; t < 256; t++) {
        EXPECT_EQ(zigbeeType_isAttrTypeSimple(uint8_t(t)), within(t, {{0x08, 0x10}, {0x18, 0x31}, {0xE0, 0xE2}}))
            << std::hex << t;
        EXPECT_EQ(zigbeeType_isAttrTypeString(uint8_t(t)), within(t, {{0x41, 0x44}})) << std::hex << t;
    }
}

} // namespace
