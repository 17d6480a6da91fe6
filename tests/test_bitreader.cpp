#include "vulm/bitreader.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <random>
#include <vector>

#include "models.h"

namespace {

uint64_t modelUnsigned(const std::vector<uint8_t> &buf, uint32_t start, uint32_t length)
{
    return model::bitsUnsigned(buf.data(), start, length);
}

int64_t modelSigned(const std::vector<uint8_t> &buf, uint32_t start, uint32_t length)
{
    return model::bitsSigned(buf.data(), start, length);
}

struct FieldCase {
    uint32_t start, length;
    uint64_t unsignedValue;
    int64_t signedValue;
};

TEST(BitReader, WorkedExamples)
{
    const uint8_t two[] = {0xB5, 0xC3};
    const uint8_t eight[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    const FieldCase twoCases[] = {
        {0, 8, 0xB5, -75},     {4, 8, 0x3B, 59},   {0, 16, 0xC3B5, -15435}, {8, 8, 0xC3, -61},
        {3, 3, 6, -2},         {6, 4, 14, -2},     {0, 1, 1, -1},           {1, 1, 0, 0},
        {1, 16, 0, 0},         {9, 8, 0, 0},       {0, 0, 0, 0},            {0, 65, 0, 0},
        {15, 1, 1, -1},        {16, 1, 0, 0},      {0, 17, 0, 0},           {8, 9, 0, 0},
        {0xFFFFFFFFu, 1, 0, 0}, {0xFFFFFFFFu, 2, 0, 0}, {0xFFFFFFF9u, 8, 0, 0}, {0xFFFFFFF0u, 32, 0, 0},
    };
    const FieldCase eightCases[] = {
        {0, 64, 0x8807060504030201u, -8644934341102468607},
        {4, 60, 0x0880706050403020u, -540308396318904288},
        {1, 64, 0, 0},
        {0, 63, 0x0807060504030201u, 0x0807060504030201},
    };
    bitreader_t r;
    bitreader_construct(&r, two, sizeof two);
    for (const FieldCase &c : twoCases) {
        EXPECT_EQ(bitreader_getUnsigned(&r, c.start, c.length), c.unsignedValue) << c.start << "+" << c.length;
        EXPECT_EQ(bitreader_getSigned(&r, c.start, c.length), c.signedValue) << c.start << "+" << c.length;
    }
    bitreader_construct(&r, eight, sizeof eight);
    for (const FieldCase &c : eightCases) {
        EXPECT_EQ(bitreader_getUnsigned(&r, c.start, c.length), c.unsignedValue) << c.start << "+" << c.length;
        EXPECT_EQ(bitreader_getSigned(&r, c.start, c.length), c.signedValue) << c.start << "+" << c.length;
    }
}

TEST(BitReader, AgreesWithLittleEndianModelOnRandomFields)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 200; round++) {
        std::vector<uint8_t> buf(1 + rng() % 12);
        for (uint8_t &b : buf)
            b = uint8_t(rng());
        // Exactly sized heap copy, so that a read past the end is caught by
        // the sanitizers.
        std::vector<uint8_t> exact(buf);
        bitreader_t r;
        bitreader_construct(&r, exact.data(), uint32_t(exact.size()));
        uint32_t bits = uint32_t(8 * buf.size());
        for (uint32_t start = 0; start < bits + 2; start++) {
            for (uint32_t length = 0; length <= 66; length++) {
                bool fits = length >= 1 && length <= 64 && start + length <= bits;
                uint64_t u = bitreader_getUnsigned(&r, start, length);
                int64_t s = bitreader_getSigned(&r, start, length);
                ASSERT_EQ(u, fits ? modelUnsigned(buf, start, length) : 0) << start << "+" << length;
                ASSERT_EQ(s, fits ? modelSigned(buf, start, length) : 0) << start << "+" << length;
            }
        }
        for (uint32_t p = 0; p < bits + 9; p++)
            ASSERT_EQ(bitreader_getBit(&r, p), p < bits ? int(modelUnsigned(buf, p, 1)) : 0) << p;
    }
}

TEST(BitReader, NextBitfieldIsTheMostSignificantChunk)
{
    const uint8_t buf[] = {0xB5, 0xC3, 0xA1};
    struct {
        uint32_t start, length, chunkLength;
        uint8_t value;
    } cases[] = {
        {3, 20, 7, 0x21}, {3, 13, 8, 0xC3}, {3, 5, 5, 0x16}, {4, 12, 8, 0xC3},
        {5, 2, 2, 1},     {0, 24, 8, 0xA1}, {23, 1, 1, 1},   {0, 1, 1, 1},
    };
    bitreader_t r;
    bitreader_construct(&r, buf, sizeof buf);
    for (const auto &c : cases) {
        bitfield_t f = bitreader_getNextBitfield(&r, c.start, c.length);
        EXPECT_EQ(f.length, c.chunkLength) << c.start << "+" << c.length;
        EXPECT_EQ(f.value, c.value) << c.start << "+" << c.length;
    }
    // Outside its contract it still reads nothing outside the buffer.
    bitreader_t empty = {NULL, 0};
    for (const bitfield_t f : {bitreader_getNextBitfield(&r, 20, 8), bitreader_getNextBitfield(&r, 0, 0),
                               bitreader_getNextBitfield(NULL, 0, 8), bitreader_getNextBitfield(&empty, 0, 8)}) {
        EXPECT_EQ(f.length, 0u);
        EXPECT_EQ(f.value, 0);
    }
}

TEST(BitReader, RejectedReadsTouchNoByte)
{
    // A reader over a null-sized buffer at a bogus address: any read would
    // crash, so every call here must be rejected before reading.
    const uint8_t *bogus = reinterpret_cast<const uint8_t *>(uintptr_t(16));
    bitreader_t r;
    bitreader_construct(&r, bogus, 0);
    EXPECT_EQ(r.data, bogus);
    for (uint32_t start : {0u, 1u, 7u, 8u, 0xFFFFFFFFu}) {
        EXPECT_EQ(bitreader_getBit(&r, start), 0);
        for (uint32_t length : {0u, 1u, 8u, 64u, 65u}) {
            EXPECT_EQ(bitreader_getUnsigned(&r, start, length), 0u);
            EXPECT_EQ(bitreader_getSigned(&r, start, length), 0);
        }
    }
    EXPECT_EQ(bitreader_getBit(NULL, 0), 0);
    EXPECT_EQ(bitreader_getUnsigned(NULL, 0, 1), 0u);
    EXPECT_EQ(bitreader_getSigned(NULL, 0, 1), 0);
    bitreader_t unbound = {NULL, 4};
    EXPECT_EQ(bitreader_getBit(&unbound, 0), 0);
    EXPECT_EQ(bitreader_getUnsigned(&unbound, 0, 1), 0u);
    EXPECT_EQ(bitreader_getSigned(&unbound, 0, 1), 0);
}

TEST(BitReader, FieldNearTopOfPositionRangeIsNotWrapped)
{
    // Size claims of 2^32 bits and more over a small real buffer: a field
    // running past position 2^32 - 1 must be rejected before any read; a
    // wrapped sum would read near the front of the buffer (or far past it).
    static const uint8_t buf[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (uint32_t claimed : {0x20000000u, 0x20000001u, 0xFFFFFFFFu}) {
        bitreader_t r;
        bitreader_construct(&r, buf, claimed);
        EXPECT_EQ(bitreader_getUnsigned(&r, 0xFFFFFFFFu, 2), 0u) << claimed;
        EXPECT_EQ(bitreader_getSigned(&r, 0xFFFFFFF9u, 8), 0) << claimed;
        EXPECT_EQ(bitreader_getUnsigned(&r, 0xFFFFFFC1u, 64), 0u) << claimed;
        EXPECT_EQ(bitreader_getUnsigned(&r, 0, 64), ~uint64_t(0)) << claimed;
    }
}

TEST(BitReader, ConstructAndDestructLeaveRefusedRecordsAlone)
{
    const uint8_t a[] = {1}, b[] = {2, 3};
    bitreader_t r;
    bitreader_construct(&r, a, 1);
    bitreader_construct(&r, NULL, 9); // refused: still bound to a
    EXPECT_EQ(r.data, a);
    EXPECT_EQ(r.size, 1u);
    bitreader_construct(&r, b, 2); // rebinding is allowed
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

TEST(BitReader, RecordLayout)
{
    EXPECT_EQ(offsetof(bitreader_t, data), 0u);
    EXPECT_EQ(offsetof(bitreader_t, size), sizeof(void *));
    EXPECT_EQ(sizeof(bitreader_t), 2 * sizeof(void *));
    EXPECT_EQ(offsetof(bitfield_t, length), 0u);
    EXPECT_EQ(offsetof(bitfield_t, value), 4u);
    EXPECT_EQ(sizeof(bitfield_t), 8u);
}

} // namespace
