#include "vulm/string.h"

#include <gtest/gtest.h>

#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>

#include "support.h"

namespace {

// ---------------------------------------------------------------- parsing

constexpr uint64_t kUntouched = 0xA5A5A5A5A5A5A5A5u;

// The output sits between guard bytes: a function must write exactly its own
// width and nothing around it.
template <typename T>
struct Guarded {
    uint8_t before[8];
    T value;
    uint8_t after[8];
};

template <typename T>
using Parser = status_t (*)(const char *, T *);

// Calls `parse` on an output filled with kUntouched's bytes; returns the
// status and the output value as raw bits.
template <typename T>
status_t parseGuarded(Parser<T> parse, const char *text, uint64_t *bits)
{
    Guarded<T> g;
    memset(&g, 0xA5, sizeof g);
    status_t s = parse(text, &g.value);
    for (uint8_t b : g.before)
        EXPECT_EQ(b, 0xA5) << "byte before the output written, text \"" << text << '"';
    for (uint8_t b : g.after)
        EXPECT_EQ(b, 0xA5) << "byte after the output written, text \"" << text << '"';
    *bits = 0;
    memcpy(bits, &g.value, sizeof(T)); // little-endian on both platforms
    if (sizeof(T) < 8)
        *bits |= kUntouched & ~((uint64_t(1) << (8 * sizeof(T))) - 1);
    return s;
}

struct ParseCase {
    const char *text;
    status_t status;
    uint64_t bits; // output afterwards as raw bits; kUntouched when not written
};

template <typename T>
void checkParses(Parser<T> parse, std::initializer_list<ParseCase> cases)
{
    for (const ParseCase &c : cases) {
        uint64_t bits;
        status_t s = parseGuarded(parse, c.text, &bits);
        EXPECT_EQ(s, c.status) << "text \"" << c.text << '"';
        uint64_t mask = sizeof(T) == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * sizeof(T))) - 1;
        EXPECT_EQ(bits & mask, c.bits & mask) << "text \"" << c.text << '"';
    }
}

constexpr status_t OK = STATUS_SUCCESS;
constexpr status_t BAD = STATUS_INVALID_VALUE;
constexpr uint64_t U = kUntouched;

// Texts every parsing function treats alike.
#define COMMON_CASES                                                                             \
    {"42", OK, 42}, {"+42", OK, 42}, {"  42", OK, 42}, {"\t\n42", OK, 42}, {"0x2A", OK, 42},     \
        {"0X2a", OK, 42}, {"052", OK, 42}, {"0", OK, 0}, {"-0", OK, 0}, {"42 ", BAD, U},         \
        {"42x", BAD, U}, {"", BAD, U}, {"   ", BAD, U}, {"0x", BAD, U}, {"08", BAD, U},          \
        {"x", BAD, U}, {"+", BAD, U}, {"- 1", BAD, U}, {"1.0", BAD, U}, {"4\n", BAD, U}

TEST(StringParse, U8)
{
    checkParses<uint8_t>(string_toU8, {COMMON_CASES, {"255", OK, 255}, {"0xff", OK, 255},
                                       {"0377", OK, 255}, {"256", BAD, U}, {"-1", BAD, U},
                                       {"4294967296", BAD, U}, {"4294967551", BAD, U},
                                       {"-4294967295", BAD, U}, {"99999999999999999999", BAD, U},
                                       {"-9223372036854775808", BAD, U}});
}

TEST(StringParse, U16)
{
    checkParses<uint16_t>(string_toU16, {COMMON_CASES, {"65535", OK, 65535}, {"0xFFFF", OK, 65535},
                                         {"65536", BAD, U}, {"-1", BAD, U}, {"-65535", BAD, U},
                                         {"4294967296", BAD, U}, {"4295032831", BAD, U},
                                         {"18446744073709551615", BAD, U}});
}

TEST(StringParse, U32)
{
    checkParses<uint32_t>(string_toU32, {COMMON_CASES, {"4294967295", OK, 4294967295u},
                                         {"0xFFFFFFFF", OK, 4294967295u}, {"037777777777", OK, 4294967295u},
                                         {"4294967296", BAD, U}, {"-1", BAD, U}, {"-4294967295", BAD, U},
                                         {"9223372036854775807", BAD, U},
                                         {"18446744073709551615", BAD, U},
                                         {"99999999999999999999", BAD, U}});
}

TEST(StringParse, S64)
{
    checkParses<int64_t>(string_toS64, {COMMON_CASES, {"-1", OK, ~uint64_t(0)},
                                        {"0x7FFFFFFFFFFFFFFF", OK, 0x7FFFFFFFFFFFFFFFu},
                                        {"-9223372036854775808", OK, 0x8000000000000000u},
                                        {"99999999999999999999", OK, 0x7FFFFFFFFFFFFFFFu},
                                        {"-99999999999999999999", OK, 0x8000000000000000u},
                                        {"0xFFFFFFFFFFFFFFFF", OK, 0x7FFFFFFFFFFFFFFFu},
                                        {"4294967296", OK, 4294967296u}});
}

TEST(StringParse, S32)
{
    auto neg = [](int64_t v) { return uint64_t(v); };
    checkParses<int32_t>(string_toS32, {{"42", OK, 42}, {"+42", OK, 42}, {"  42", OK, 42},
                                        {"0x2A", OK, 42}, {"052", OK, 42}, {"-42", OK, neg(-42)},
                                        {"-0x2A", OK, neg(-42)}, {"2147483647", OK, 2147483647},
                                        {"-2147483647", OK, neg(-2147483647)},
                                        {"- 5", OK, neg(-5)}, {"-+5", OK, neg(-5)}, {"-0", OK, 0},
                                        // digits that fail to parse: output set to 0
                                        {"abc", BAD, 0}, {"-abc", BAD, 0}, {"-", BAD, 0}, {"", BAD, 0},
                                        {" -5", BAD, 0}, {"--5", BAD, 0}, {"42 ", BAD, 0},
                                        {"4294967296", BAD, 0}, {"-4294967296", BAD, 0},
                                        // a magnitude of 2^31 or more: output untouched
                                        {"2147483648", BAD, U}, {"-2147483648", BAD, U},
                                        {"4294967295", BAD, U}, {"-0xFFFFFFFF", BAD, U}});
}

TEST(StringParse, NullArguments)
{
    uint8_t u8 = 7;
    uint16_t u16 = 7;
    uint32_t u32 = 7;
    int32_t s32 = 7;
    int64_t s64 = 7;
    EXPECT_EQ(string_toU8(NULL, &u8), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toU16(NULL, &u16), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toU32(NULL, &u32), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toS32(NULL, &s32), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toS64(NULL, &s64), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(u8 + u16 + u32 + s32 + s64, 35);
    EXPECT_EQ(string_toU8("1", NULL), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toU16("1", NULL), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toU32("1", NULL), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toS32("1", NULL), STATUS_NULL_ARGUMENT);
    EXPECT_EQ(string_toS64("1", NULL), STATUS_NULL_ARGUMENT);
}

// Random values written in the three bases, with the acceptance decided here
// from the value alone; the answers must not depend on the width of long.
TEST(StringParse, RandomValuesInEveryBase)
{
    std::mt19937_64 rng(1234);
    const char *formats[] = {"%" PRIu64, "0x%" PRIx64, "0%" PRIo64};
    for (int i = 0; i < 3000; i++) {
        uint64_t v = rng() >> (rng() % 64);
        for (const char *f : formats) {
            char text[40];
            snprintf(text, sizeof text, f, v);
            uint64_t bits;
            EXPECT_EQ(parseGuarded<uint8_t>(string_toU8, text, &bits), v <= 0xFF ? OK : BAD) << text;
            EXPECT_EQ(parseGuarded<uint16_t>(string_toU16, text, &bits), v <= 0xFFFF ? OK : BAD) << text;
            EXPECT_EQ(parseGuarded<uint32_t>(string_toU32, text, &bits), v <= 0xFFFFFFFF ? OK : BAD) << text;
            if (v <= 0xFFFFFFFF) {
                EXPECT_EQ(bits & 0xFFFFFFFF, v) << text;
            }
            EXPECT_EQ(parseGuarded<int64_t>(string_toS64, text, &bits), OK) << text;
            EXPECT_EQ(bits, v <= INT64_MAX ? v : uint64_t(INT64_MAX)) << text;
            char negative[41];
            snprintf(negative, sizeof negative, "-%s", text);
            EXPECT_EQ(parseGuarded<int32_t>(string_toS32, negative, &bits), v <= 0x7FFFFFFF ? OK : BAD)
                << negative;
            if (v <= 0x7FFFFFFF) {
                EXPECT_EQ(int32_t(bits & 0xFFFFFFFF), -int32_t(v)) << negative;
            }
            EXPECT_EQ(parseGuarded<uint32_t>(string_toU32, negative, &bits), v == 0 ? OK : BAD) << negative;
        }
    }
}

// ------------------------------------------------------------- formatting

struct FormatCase {
    int kind; // 0 bool, 1 s32, 2 u16
    int64_t value;
    const char *prefix;
    const char *text;
};

status_t format(const FormatCase &c, char **result, uint32_t *size)
{
    switch (c.kind) {
    case 0:
        return string_fromBool(c.value != 0, c.prefix, result, size);
    case 1:
        return string_fromS32(int32_t(c.value), c.prefix, result, size);
    default:
        return string_fromU16(uint16_t(c.value), c.prefix, result, size);
    }
}

const FormatCase kFormatCases[] = {
    {0, 1, "on: ", "on: True"},
    {0, 0, "", "False"},
    {0, 1, "", "True"},
    {0, 0, "x", "xFalse"},
    {1, -5, "x=", "x=-5"},
    {1, 0, "", "0"},
    {1, INT32_MIN, "", "-2147483648"},
    {1, INT32_MAX, "+", "+2147483647"},
    {1, 1, "%d", "%d1"},
    {2, 65535, "", "65535"},
    {2, 0, "v", "v0"},
    {2, 80, "port ", "port 80"},
};

TEST(StringFormat, TextSizeAndZeroFilledExactBlock)
{
    for (const FormatCase &c : kFormatCases) {
        char *result = NULL;
        uint32_t size = 0;
        fault::Scope count;
        status_t s = format(c, &result, &size);
        int allocations = count.count();
        size_t allocated = count.size(0);
        ASSERT_EQ(s, STATUS_SUCCESS) << c.text;
        ASSERT_NE(result, nullptr);
        EXPECT_STREQ(result, c.text);
        EXPECT_EQ(size, strlen(c.text) + 1);
        EXPECT_EQ(allocations, 1) << c.text;
        EXPECT_EQ(allocated, size) << c.text;
        free(result);
    }
}

TEST(StringFormat, NullOutputsWriteNothing)
{
    for (const FormatCase &c : kFormatCases) {
        char *result = (char *)&result;
        uint32_t size = 77;
        EXPECT_EQ(format(c, NULL, &size), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(format(c, &result, NULL), STATUS_NULL_ARGUMENT);
        EXPECT_EQ(size, 77u);
        EXPECT_EQ(result, (char *)&result);
    }
}

TEST(StringFormat, AllocationFailureReportsSize)
{
    for (const FormatCase &c : kFormatCases) {
        char *result = (char *)&result;
        uint32_t size = 0;
        status_t s;
        {
            fault::Scope failFirst(1);
            s = format(c, &result, &size);
        }
        EXPECT_EQ(s, STATUS_NO_MEMORY) << c.text;
        EXPECT_EQ(result, nullptr) << c.text;
        EXPECT_EQ(size, strlen(c.text) + 1) << c.text;
    }
}

TEST(StringWords, ArraysWithTheirTerminator)
{
    EXPECT_EQ(sizeof string_true, 5u);
    EXPECT_EQ(sizeof string_false, 6u);
    EXPECT_EQ(memcmp(string_true, "True", 5), 0);
    EXPECT_EQ(memcmp(string_false, "False", 6), 0);
    EXPECT_EQ(sizeof(status_t), 4u);
}

} // namespace
