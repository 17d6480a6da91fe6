#include "vulm/bitset.h"

#include <gtest/gtest.h>

#include <stddef.h>

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

TEST(Bitset, MakeGivesClearBitsOfTheRightByteCount)
{
    for (uint32_t bits : {0u, 1u, 7u, 8u, 9u, 12u, 16u, 17u, 1000u}) {
        fault::Scope count;
        bitset_t *s = bitset_make(bits);
        int allocations = count.count();
        size_t blockBytes = count.size(1);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->bitCount, bits);
        EXPECT_EQ(allocations, 2);
        EXPECT_EQ(blockBytes, (bits + 7) / 8);
        for (uint8_t b : bytesOf(s))
            EXPECT_EQ(b, 0);
        bitset_delete(&s);
        EXPECT_EQ(s, nullptr);
    }
}

TEST(Bitset, SetClearGetTouchOnlyTheirBit)
{
    Set s = make(12);
    struct Step {
        bool set;
        uint32_t index;
        uint8_t byte0, byte1;
    } steps[] = {
        {true, 0, 0x01, 0x00},  {true, 3, 0x09, 0x00},   {true, 11, 0x09, 0x08},
        {true, 12, 0x09, 0x08}, {true, 13, 0x09, 0x08},  {true, 100, 0x09, 0x08},
        {true, 0xFFFFFFFFu, 0x09, 0x08}, {false, 3, 0x01, 0x08}, {false, 3, 0x01, 0x08},
        {false, 12, 0x01, 0x08}, {true, 7, 0x81, 0x08},  {true, 8, 0x81, 0x09},
        {false, 11, 0x81, 0x01},
    };
    for (const Step &st : steps) {
        (st.set ? bitset_set_bit : bitset_clear_bit)(s.get(), st.index);
        EXPECT_EQ(bytesOf(s.get()), (std::vector<uint8_t>{st.byte0, st.byte1})) << st.index;
        for (uint32_t i = 0; i < 16; i++) {
            int expected = i < 12 ? ((i < 8 ? st.byte0 : st.byte1) >> (i % 8)) & 1 : 0;
            EXPECT_EQ(bitset_get_bit(s.get(), i), expected) << i;
        }
    }
    // Spare bits are kept by clear and never reported by get.
    s->bits[1] |= 0xF0;
    bitset_clear_bit(s.get(), 12);
    EXPECT_EQ(s->bits[1], 0xF1);
    EXPECT_EQ(bitset_get_bit(s.get(), 12), 0);
    EXPECT_EQ(bitset_get_bit(s.get(), 15), 0);
    bitset_set_bit(NULL, 0);
    bitset_clear_bit(NULL, 0);
    EXPECT_EQ(bitset_get_bit(NULL, 0), 0);
}

TEST(Bitset, CompareIsEqualityOfBitCountAndBytes)
{
    Set a = make(12, {1, 5, 11}), b = make(12, {1, 5, 11}), c = make(12, {1, 5});
    Set d = make(16, {1, 5, 11}), e0 = make(0), e1 = make(0);
    struct {
        const bitset_t *x, *y;
        int equal;
    } cases[] = {
        {a.get(), b.get(), 1}, {b.get(), a.get(), 1}, {a.get(), a.get(), 1}, {a.get(), c.get(), 0},
        {c.get(), a.get(), 0}, {a.get(), d.get(), 0}, {d.get(), a.get(), 0}, {e0.get(), e1.get(), 1},
        {a.get(), NULL, 0},    {NULL, a.get(), 0},    {NULL, NULL, 0},
    };
    for (const auto &k : cases)
        EXPECT_EQ(bitset_compare(k.x, k.y), k.equal);
    Set nine = make(9), sixteen = make(16); // same byte count, different bit count
    EXPECT_EQ(bitset_compare(nine.get(), sixteen.get()), 0);
    b->bits[1] |= 0x80; // a spare bit counts in the comparison
    EXPECT_EQ(bitset_compare(a.get(), b.get()), 0);
}

TEST(Bitset, CopyChecksByteCountsAndCarriesSpareBits)
{
    Set src = make(16, {1, 15});
    Set nine = make(9);
    bitset_copy(src.get(), nine.get());
    EXPECT_EQ(bytesOf(nine.get()), (std::vector<uint8_t>{0x02, 0x80}));
    EXPECT_EQ(nine->bitCount, 9u);
    EXPECT_EQ(bitset_get_bit(nine.get(), 15), 0);
    Set fresh = make(9, {1});
    EXPECT_EQ(bitset_compare(nine.get(), fresh.get()), 0); // spare bit 15 differs
    bitset_flush(nine.get());
    bitset_flush(fresh.get());
    EXPECT_EQ(bitset_compare(nine.get(), fresh.get()), 1);
    EXPECT_EQ(bytesOf(nine.get()), (std::vector<uint8_t>{0, 0}));

    Set wide = make(24, {0});
    bitset_copy(src.get(), wide.get()); // 2 bytes into 3: refused
    EXPECT_EQ(bytesOf(wide.get()), (std::vector<uint8_t>{1, 0, 0}));
    bitset_copy(wide.get(), src.get());
    EXPECT_EQ(bytesOf(src.get()), (std::vector<uint8_t>{0x02, 0x80}));
    bitset_copy(src.get(), src.get());
    EXPECT_EQ(bytesOf(src.get()), (std::vector<uint8_t>{0x02, 0x80}));
    bitset_copy(NULL, src.get());
    bitset_copy(src.get(), NULL);
    bitset_flush(NULL);
    Set e0 = make(0), e1 = make(0);
    bitset_copy(e0.get(), e1.get());
    bitset_flush(e0.get());
    EXPECT_EQ(bitset_compare(e0.get(), e1.get()), 1);
}

TEST(Bitset, LargestBitCountsDoNotWrap)
{
    // 2^32 - 1 bits need 2^29 bytes; a wrapped count would give 0 bytes.
    fault::Scope failBlock(2);
    EXPECT_EQ(bitset_make(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(failBlock.size(1), size_t(1) << 29);
    EXPECT_EQ(failBlock.count(), 2);
}

TEST(Bitset, EitherAllocationFailingLeavesNothing)
{
    for (int failAt : {1, 2}) {
        bitset_t *s;
        {
            fault::Scope fail(failAt);
            s = bitset_make(40);
            EXPECT_EQ(fail.count(), failAt); // no allocation after the failure
        }
        EXPECT_EQ(s, nullptr) << "allocation " << failAt;
    }
}

TEST(Bitset, DeleteIgnoresNullHandles)
{
    bitset_delete(NULL);
    bitset_t *none = NULL;
    bitset_delete(&none);
    EXPECT_EQ(none, nullptr);
}

TEST(Bitset, RecordLayout)
{
    EXPECT_EQ(offsetof(bitset_t, bits), 0u);
    EXPECT_EQ(offsetof(bitset_t, bitCount), sizeof(void *));
}

} // namespace
