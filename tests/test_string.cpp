// The parsers' values and ranges, the field cutting and the encoding checks
// are compared with models by the fuzz targets (fuzz/), also as plain test
// programs; here: what those cannot see.
#include "vulm/string.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "support.h"

namespace {

// Each parser on a text it accepts and one it refuses, its output between
// guard bytes: exactly its own width is written, and nothing on failure
// (string_toS32 zeroes it when string_toU32 refuses the text after its
// "-", and only then).
// Values are read back at the parser's width, so any byte order will do.
TEST(String, ParsersWriteTheirWidthOnSuccessOnly)
{
    using Parse = status_t (*)(const char *, void *);
    const Parse u8 = [](const char *t, void *o) { return string_toU8(t, (uint8_t *)o); };
    const Parse u16 = [](const char *t, void *o) { return string_toU16(t, (uint16_t *)o); };
    const Parse u32 = [](const char *t, void *o) { return string_toU32(t, (uint32_t *)o); };
    const Parse s32 = [](const char *t, void *o) { return string_toS32(t, (int32_t *)o); };
    const Parse s64 = [](const char *t, void *o) { return string_toS64(t, (int64_t *)o); };
    const auto readBack = [](const unsigned char *p, size_t width) {
        uint16_t v16;
        uint32_t v32;
        uint64_t v64;
        switch (width) {
        case 1: return uint64_t(*p);
        case 2: return memcpy(&v16, p, 2), uint64_t(v16);
        case 4: return memcpy(&v32, p, 4), uint64_t(v32);
        default: return memcpy(&v64, p, 8), v64;
        }
    };
    const struct {
        Parse parse;
        size_t width;
        const char *good, *bad;
        uint64_t goodValue, badValue;
    } cases[] = {
        {u8, 1, "0xff", "256", 0xFF, 0xA5},
        {u16, 2, "65535", "65536", 0xFFFF, 0xA5A5},
        {u32, 4, "4294967295", "-1", 0xFFFFFFFF, 0xA5A5A5A5},
        {s32, 4, "-2147483647", "x", 0x80000001, 0},
        {s32, 4, "-0", "2147483648", 0, 0xA5A5A5A5},
        {s32, 4, "- 5", "4294967296", 0xFFFFFFFB, 0}, // string_toU32 refuses 2^32: zeroed
        {s64, 8, "-1", "1 ", 0xFFFFFFFFFFFFFFFF, 0xA5A5A5A5A5A5A5A5},
        // prefixes of newer C libraries' base 0 (C23's 0b, C2y's 0o) are not ours
        {u16, 2, "0x2A", "0b1", 42, 0xA5A5},
        {u32, 4, "052", "0B11", 42, 0xA5A5A5A5},
        {s64, 8, "+42", "0o17", 42, 0xA5A5A5A5A5A5A5A5},
    };
    for (const auto &c : cases) {
        alignas(8) unsigned char out[9];
        unsigned char guard[9];
        memset(guard, 0xA5, sizeof guard);
        memset(out, 0xA5, sizeof out);
        EXPECT_EQ(c.parse(c.good, out), STATUS_SUCCESS) << c.good;
        EXPECT_EQ(readBack(out, c.width), c.goodValue) << c.good;
        EXPECT_EQ(memcmp(out + c.width, guard, sizeof out - c.width), 0) << c.good;
        memset(out, 0xA5, sizeof out);
        EXPECT_EQ(c.parse(c.bad, out), STATUS_INVALID_VALUE) << c.bad;
        EXPECT_EQ(c.parse(NULL, out), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(c.parse("1", NULL), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(readBack(out, c.width), c.badValue) << c.bad;
        EXPECT_EQ(memcmp(out + c.width, guard, sizeof out - c.width), 0) << c.bad;
    }
}

status_t format(int kind, int64_t value, const char *prefix, char **result, uint32_t *size)
{
    switch (kind) {
    case 0:
        return string_fromBool(value != 0, prefix, result, size);
    case 1:
        return string_fromS32(int32_t(value), prefix, result, size);
    default:
        return string_fromU16(uint16_t(value), prefix, result, size);
    }
}

// Every formatting function: text, size, one zero-filled block of exactly
// that size; null outputs; a failed allocation (size still reported); a
// failed measurement (size 0, nothing allocated).
TEST(String, FormattersAllocateTheExactText)
{
    const struct {
        int kind;
        int64_t value;
        const char *prefix, *text;
    } cases[] = {
        {0, 1, "on: ", "on: True"}, {0, 0, "", "False"},           {1, -5, "x=", "x=-5"},
        {1, INT32_MIN, "", "-2147483648"}, {2, 65535, "%d", "%d65535"},
    };
    for (const auto &c : cases) {
        char *result = NULL;
        uint32_t size = 0;
        {
            fault::Scope count;
            ASSERT_EQ(format(c.kind, c.value, c.prefix, &result, &size), STATUS_SUCCESS);
            EXPECT_EQ(count.count(), 1);
            EXPECT_EQ(count.size(0), strlen(c.text) + 1);
        }
        EXPECT_STREQ(result, c.text);
        EXPECT_EQ(size, strlen(c.text) + 1);
        free(result);

        result = (char *)&size;
        size = 77;
        EXPECT_EQ(format(c.kind, c.value, c.prefix, NULL, &size), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(format(c.kind, c.value, c.prefix, &result, NULL), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(size, 77u);
        {
            fault::Scope failFirst(1);
            EXPECT_EQ(format(c.kind, c.value, c.prefix, &result, &size), STATUS_NO_MEMORY);
        }
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(size, strlen(c.text) + 1);
        {
            fault::FailCalls failFormatting("vsnprintf", EOVERFLOW);
            fault::Scope count;
            result = (char *)&size;
            EXPECT_EQ(format(c.kind, c.value, c.prefix, &result, &size), STATUS_NO_MEMORY);
            EXPECT_EQ(count.count(), 0);
        }
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(result, (char *)&size);
    }
}

// The field's block is exactly its size; texts of 256 bytes and more (the
// fuzz target's are shorter) count as their first (length % 256) bytes;
// null text and a failed allocation give null.
TEST(String, FieldIsOneExactBlock)
{
    const struct {
        std::string text;
        uint32_t index;
        const char *field;
    } cases[] = {
        {"a,bc,d", 1, "bc"}, {"a,b", 7, "b"}, {"", 0, ""},
        {"a," + std::string(255, 'b'), 1, "a"}, // counts as its first 257 % 256 bytes
    };
    for (const auto &c : cases) {
        fault::Scope count;
        char *field = string_getDelimitedStringPart(c.text.c_str(), ',', c.index);
        ASSERT_NE(field, nullptr);
        EXPECT_STREQ(field, c.field);
        EXPECT_EQ(count.count(), 1);
        EXPECT_EQ(count.size(0), strlen(c.field) + 1);
        free(field);
    }
    EXPECT_EQ(string_getDelimitedStringPart(NULL, ',', 0), nullptr);
    fault::Scope fail(1);
    EXPECT_EQ(string_getDelimitedStringPart("a,b", ',', 1), nullptr);
}

TEST(String, EncodingChecksRefuseNullData)
{
    EXPECT_FALSE(string_isUtf8(NULL, 0));
    EXPECT_FALSE(string_isAscii(NULL, 0));
    EXPECT_FALSE(string_isUtf8(NULL, 4));
    EXPECT_FALSE(string_isAscii(NULL, 4));
}

} // namespace
