#include "vulm/bitset.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support.h"

namespace {

std::vector<uint8_t> bytesOf(const bitset_t *s)
{
    return std::vector<uint8_t>(s->bits, s->bits + (s->bitCount + 7) / 8);
}

struct SetDeleter {
    void operator()(bitset_t *s) const { bitset_delete(&s); }
};
using Set = std::unique_ptr<bitset_t, SetDeleter>;

Set make(uint32_t bits, std::initializer_list<uint32_t> set = {})
{
    Set s(bitset_make(bits));
    EXPECT_NE(s, nullptr);
    for (uint32_t i : set)
        bitset_set_bit(s.get(), i);
    return s;
}

// The record, then a zero-filled block of exactly the bytes the bits need
// (2^32 - 1 bits need 2^29 bytes: the count must not wrap); either
// allocation failing leaves nothing behind.
TEST(Bitset, MakeAllocatesTheRecordAndExactlyTheBytesNeeded)
{
    const struct {
        uint32_t bits;
        size_t bytes;
        int failAt;
    } cases[] = {{0, 0, 0}, {1, 1, 0}, {8, 1, 0}, {9, 2, 0}, {0xFFFFFFFFu, size_t(1) << 29, 2}, {40, 5, 1}};
    for (const auto &c : cases) {
        fault::Scope allocations(c.failAt);
        bitset_t *s = bitset_make(c.bits);
        EXPECT_EQ(allocations.count(), c.failAt ? c.failAt : 2);
        if (allocations.count() > 1) {
            EXPECT_EQ(allocations.size(1), c.bytes) << c.bits;
        }
        if (c.failAt) {
            EXPECT_EQ(s, nullptr);
            continue;
        }
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->bitCount, c.bits);
        EXPECT_EQ(bytesOf(s), std::vector<uint8_t>(c.bytes, 0));
        bitset_delete(&s);
        EXPECT_EQ(s, nullptr);
    }
    bitset_delete(NULL);
    bitset_t *none = NULL;
    bitset_delete(&none);
}

TEST(Bitset, SetClearGetTouchOnlyTheirBit)
{
    Set s = make(12);
    const struct {
        bool set;
        uint32_t index;
        uint8_t byte0, byte1;
    } steps[] = {
        {true, 0, 0x01, 0x00},  {true, 3, 0x09, 0x00},  {true, 8, 0x09, 0x01},  {true, 11, 0x09, 0x09},
        {true, 12, 0x09, 0x09}, {false, 3, 0x01, 0x09}, {true, 7, 0x81, 0x09},  {false, 8, 0x81, 0x08},
        {false, 7, 0x01, 0x08}, {false, 12, 0x01, 0x18}, // spare bit 12 set by hand first
    };
    for (const auto &st : steps) {
        if (st.index == 12 && !st.set)
            s->bits[1] |= 0x10;
        (st.set ? bitset_set_bit : bitset_clear_bit)(s.get(), st.index);
        EXPECT_EQ(bytesOf(s.get()), (std::vector<uint8_t>{st.byte0, st.byte1})) << st.index;
        for (uint32_t i = 0; i < 13; i++)
            EXPECT_EQ(bitset_get_bit(s.get(), i), i < 12 && ((i < 8 ? st.byte0 : st.byte1) >> (i % 8)) & 1) << i;
        s->bits[1] &= 0x0F;
    }
    bitset_set_bit(NULL, 0);
    bitset_clear_bit(NULL, 0);
    EXPECT_EQ(bitset_get_bit(NULL, 0), 0);
}

// Equal means the same bit count and the same bytes, spare bits included.
TEST(Bitset, CompareCopyAndFlush)
{
    Set a = make(12, {1, 11}), b = make(12, {1, 11}), c = make(12, {1}), d = make(16, {1, 11});
    Set e0 = make(0), e1 = make(0), one = make(8, {1}), other = make(8, {2});
    const struct {
        const bitset_t *x, *y;
        int equal;
    } cases[] = {{a.get(), b.get(), 1},   {a.get(), c.get(), 0}, {a.get(), d.get(), 0},
                 {e0.get(), e1.get(), 1}, {one.get(), other.get(), 0}, {a.get(), NULL, 0},
                 {NULL, a.get(), 0}};
    for (const auto &k : cases)
        EXPECT_EQ(bitset_compare(k.x, k.y), k.equal);
    b->bits[1] |= 0x80;
    EXPECT_EQ(bitset_compare(a.get(), b.get()), 0);

    bitset_copy(b.get(), d.get()); // same byte count: copied, spare bit too
    EXPECT_EQ(bytesOf(d.get()), (std::vector<uint8_t>{0x02, 0x88}));
    Set wide = make(24, {0});
    bitset_copy(a.get(), wide.get()); // 2 bytes into 3: refused
    EXPECT_EQ(bytesOf(wide.get()), (std::vector<uint8_t>{1, 0, 0}));
    bitset_copy(NULL, a.get());
    bitset_copy(a.get(), NULL);
    bitset_flush(d.get());
    EXPECT_EQ(bytesOf(d.get()), (std::vector<uint8_t>{0, 0}));
    bitset_flush(NULL);
}

} // namespace
