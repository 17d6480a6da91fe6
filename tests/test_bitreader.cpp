// Field values against the buffer read as one integer: fuzz/fuzz_bitreader.
#include "vulm/bitreader.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

namespace {

TEST(BitReader, NextBitfieldIsTheMostSignificantChunk)
{
    const uint8_t buf[] = {0xB5, 0xC3, 0xA1};
    const struct {
        uint32_t start, length, chunkLength;
        uint8_t value;
    } cases[] = {
        {3, 20, 7, 0x21}, {3, 13, 8, 0xC3}, {3, 5, 5, 0x16}, {5, 2, 2, 1}, {0, 24, 8, 0xA1}, {23, 1, 1, 1},
        // outside its contract it still reads nothing outside the buffer
        {20, 8, 0, 0}, {0, 0, 0, 0},
    };
    bitreader_t r;
    bitreader_construct(&r, buf, sizeof buf);
    for (const auto &c : cases) {
        bitfield_t f = bitreader_getNextBitfield(&r, c.start, c.length);
        EXPECT_EQ(f.length, c.chunkLength) << c.start << "+" << c.length;
        EXPECT_EQ(f.value, c.value) << c.start << "+" << c.length;
    }
    bitreader_t empty = {NULL, 0};
    EXPECT_EQ(bitreader_getNextBitfield(NULL, 0, 8).length, 0u);
    EXPECT_EQ(bitreader_getNextBitfield(&empty, 0, 8).length, 0u);
}

// Readers that would crash on any read: every call must be refused first.
// Size claims of 2^32 bits and more over a small buffer: a field running
// past position 2^32 - 1 is refused, not wrapped to the buffer's front.
TEST(BitReader, RefusedReadsTouchNoByte)
{
    static const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const bitreader_t readers[] = {{reinterpret_cast<const uint8_t *>(uintptr_t(16)), 0}, {NULL, 4},
                                   {ones, 0x20000000u}, {ones, 0xFFFFFFFFu}};
    const struct {
        uint32_t start, length;
    } fields[] = {{0, 0}, {0, 65}, {0xFFFFFFFFu, 2}, {0xFFFFFFF9u, 8}, {0xFFFFFFC1u, 64}};
    for (const bitreader_t &r : readers) {
        for (const auto &f : fields) {
            EXPECT_EQ(bitreader_getUnsigned(&r, f.start, f.length), 0u) << f.start << "+" << f.length;
            EXPECT_EQ(bitreader_getSigned(&r, f.start, f.length), 0) << f.start << "+" << f.length;
        }
    }
    EXPECT_EQ(bitreader_getBit(&readers[0], 0), 0);
    EXPECT_EQ(bitreader_getBit(&readers[1], 0), 0);
    EXPECT_EQ(bitreader_getBit(NULL, 0), 0);
    EXPECT_EQ(bitreader_getUnsigned(NULL, 0, 1), 0u);
    EXPECT_EQ(bitreader_getSigned(NULL, 0, 1), 0);
    EXPECT_EQ(bitreader_getSigned(&readers[3], 0, 64), -1); // a field inside is read
}

// A field may end at position 2^32 - 1, the last one a position names. The
// buffer: 2^29 bytes of address space of which only the last page is used.
TEST(BitReader, FieldMayEndAtTheLastPosition)
{
    const size_t bytes = size_t(1) << 29;
    void *map = mmap(NULL, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(map, MAP_FAILED);
    static_cast<uint8_t *>(map)[bytes - 1] = 0x80;
    bitreader_t r;
    bitreader_construct(&r, static_cast<uint8_t *>(map), uint32_t(bytes));
    EXPECT_EQ(bitreader_getUnsigned(&r, 0xFFFFFFFFu, 1), 1u);
    munmap(map, bytes);
}

TEST(BitReader, ConstructAndDestructLeaveRefusedRecordsAlone)
{
    const uint8_t a[] = {1}, b[] = {2, 3};
    bitreader_t r;
    bitreader_construct(&r, a, 1);
    bitreader_construct(&r, NULL, 9); // refused: still bound to a
    EXPECT_EQ(r.data, a);
    EXPECT_EQ(r.size, 1u);
    bitreader_construct(&r, b, 2);
    EXPECT_EQ(r.data, b);
    EXPECT_EQ(r.size, 2u);
    bitreader_destruct(&r);
    EXPECT_EQ(r.data, nullptr);
    EXPECT_EQ(r.size, 0u);
    bitreader_t empty = {NULL, 5};
    bitreader_destruct(&empty); // already empty: size not reset
    EXPECT_EQ(empty.size, 5u);
    bitreader_construct(NULL, a, 1);
    bitreader_destruct(NULL);
}

} // namespace
