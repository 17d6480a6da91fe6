#include "vulm/string.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "models.h"
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

TEST(StringParse, NullArgumentsWriteNothing)
{
    uint64_t out = kUntouched;
    const status_t results[] = {
        string_toU8(NULL, (uint8_t *)&out),   string_toU16(NULL, (uint16_t *)&out),
        string_toU32(NULL, (uint32_t *)&out), string_toS32(NULL, (int32_t *)&out),
        string_toS64(NULL, (int64_t *)&out),  string_toU8("1", NULL),
        string_toU16("1", NULL),              string_toU32("1", NULL),
        string_toS32("1", NULL),              string_toS64("1", NULL),
    };
    for (status_t r : results)
        EXPECT_EQ(r, STATUS_NULL_ARGUMENT);
    EXPECT_EQ(out, kUntouched);
}

// Random texts over the characters that matter to the syntax, against a
// parser model of the C syntax with the library's range rules.
TEST(StringParse, RandomTextsAgreeWithSyntaxModel)
{
    std::mt19937 rng(42);
    const char alphabet[] = " \t+-0xX1789aAfFgz";
    for (int i = 0; i < 20000; i++) {
        std::string text(rng() % 24, ' ');
        for (char &ch : text)
            ch = alphabet[rng() % (sizeof alphabet - 1)];
        if (i % 4 == 0) // long digit runs reach the clamping
            text += std::string(rng() % 30, "0123456789ABCDEF"[rng() % 16]);
        const model::Number n = model::parse(text.c_str());
        const status_t valid = n.valid ? OK : BAD;
        const unsigned longBits = 8 * sizeof(long);
        uint64_t bits;
        const char *t = text.c_str();
        EXPECT_EQ(parseGuarded<uint8_t>(string_toU8, t, &bits), n.valid && model::clampedBits(n, longBits) <= 0xFF ? OK : BAD) << t;
        EXPECT_EQ(parseGuarded<uint16_t>(string_toU16, t, &bits), n.valid && model::clampedBits(n, longBits) <= 0xFFFF ? OK : BAD) << t;
        EXPECT_EQ(parseGuarded<uint32_t>(string_toU32, t, &bits), n.valid && model::clampedBits(n, 64) <= 0xFFFFFFFF ? OK : BAD) << t;
        EXPECT_EQ(parseGuarded<int64_t>(string_toS64, t, &bits), valid) << t;
        if (n.valid) {
            EXPECT_EQ(bits, model::clampedBits(n, 64)) << t;
        }
        const bool minus = t[0] == '-';
        const model::Number rest = model::parse(t + minus);
        const uint64_t magnitude = model::clampedBits(rest, 64);
        const bool fits = rest.valid && magnitude <= 0x7FFFFFFF;
        EXPECT_EQ(parseGuarded<int32_t>(string_toS32, t, &bits), fits ? OK : BAD) << t;
        if (fits) {
            EXPECT_EQ(int32_t(bits), minus ? -int32_t(magnitude) : int32_t(magnitude)) << t;
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

TEST(StringFormat, MeasuringFailureReportsSizeZero)
{
    for (const FormatCase &c : kFormatCases) {
        char *result = (char *)&result;
        uint32_t size = 77;
        status_t s;
        {
            fault::FailCalls failFormatting("vsnprintf", EOVERFLOW);
            fault::Scope count;
            s = format(c, &result, &size);
            EXPECT_EQ(count.count(), 0) << "nothing allocated";
        }
        EXPECT_EQ(s, STATUS_NO_MEMORY) << c.text;
        EXPECT_EQ(size, 0u) << c.text;
        EXPECT_EQ(result, (char *)&result) << c.text;
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

// ------------------------------------------------------- delimited fields

struct FieldCase {
    std::string text;
    char delimiter;
    uint32_t index;
    std::string field;
};

TEST(StringField, CutsTheIndexedFieldOrTheLast)
{
    const std::string commas255(255, ',');
    const std::string a128 = [] {
        std::string s;
        for (int i = 0; i < 128; i++)
            s += "a,";
        return s;
    }();
    const std::string x300 = std::string(250, 'x') + "," + std::string(49, 'y');
    const FieldCase cases[] = {
        {"", ',', 0, ""},          {"", ',', 7, ""},          {"abc", ',', 0, "abc"},
        {"abc", ',', 3, "abc"},    {"a,b,c", ',', 0, "a"},    {"a,b,c", ',', 1, "b"},
        {"a,b,c", ',', 2, "c"},    {"a,b,c", ',', 3, "c"},    {"a,b,c", ',', 200, "c"},
        {"a,b,c", ',', 0xFFFFFFFFu, "c"}, {",b,c", ',', 0, ""}, {",b,c", ',', 1, "b"},
        {",b,c", ',', 2, "c"},     {"a,,c", ',', 1, ""},      {"a,,c", ',', 2, "c"},
        {"a,b,", ',', 1, "b"},     {"a,b,", ',', 2, ""},      {"a,b,", ',', 9, ""},
        {",", ',', 0, ""},         {",", ',', 1, ""},         {",,", ',', 1, ""},
        {"ab,cd,ef", ',', 1, "cd"}, {commas255, ',', 254, ""}, {commas255, ',', 255, ""},
        {a128, ',', 0, ""},        {x300, ',', 0, std::string(44, 'x')},
        {x300, ',', 1, std::string(44, 'x')},
        {std::string(255, 'q'), ',', 0, std::string(255, 'q')},
        {std::string(257, 'q'), ',', 0, "q"},
        {"a\xE9" "b\xE9" "c", '\xE9', 1, "b"}, {"a\xE9" "b\xE9" "c", '\xE9', 5, "c"},
        {"a,b", '\0', 0, "a,b"},   {"a,b", '\0', 1, "a,b"},   {"a b c", ' ', 2, "c"},
    };
    for (const FieldCase &c : cases) {
        fault::Scope count;
        char *field = string_getDelimitedStringPart(c.text.c_str(), c.delimiter, c.index);
        int allocations = count.count();
        size_t bytes = count.size(0);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(std::string(field), c.field) << '"' << c.text << "\" " << c.index;
        EXPECT_EQ(allocations, 1);
        EXPECT_EQ(bytes, c.field.size() + 1);
        free(field);
    }
}

TEST(StringField, AgreesWithSplittingModelOnRandomTexts)
{
    std::mt19937 rng(5);
    const char alphabet[] = {',', ',', ';', 'a', 'b', '\x80', '\xFF'};
    for (int i = 0; i < 3000; i++) {
        std::string text(rng() % 600, 'z');
        for (char &ch : text)
            ch = alphabet[rng() % sizeof alphabet];
        char delimiter = alphabet[rng() % sizeof alphabet];
        uint32_t index = rng() % 4 == 0 ? rng() : rng() % 20;
        char *field = string_getDelimitedStringPart(text.c_str(), delimiter, index);
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(std::string(field), model::field(text, delimiter, index));
        free(field);
    }
}

TEST(StringField, NullTextAndAllocationFailureGiveNull)
{
    EXPECT_EQ(string_getDelimitedStringPart(NULL, ',', 0), nullptr);
    fault::Scope fail(1);
    EXPECT_EQ(string_getDelimitedStringPart("a,b", ',', 1), nullptr);
    EXPECT_EQ(fail.count(), 1);
}

// -------------------------------------------------------- encoding checks

// Checks both functions on an exactly sized heap copy of `bytes`, so that a
// read beyond the length is caught by the sanitizers and valgrind.
void checkEncoding(const std::vector<uint8_t> &bytes)
{
    std::unique_ptr<char[]> exact(new char[bytes.size() + 1]);
    if (!bytes.empty())
        memcpy(exact.get(), bytes.data(), bytes.size());
    uint32_t n = uint32_t(bytes.size());
    ASSERT_EQ(string_isUtf8(exact.get(), n), model::isUtf8(bytes.data(), n)) << ::testing::PrintToString(bytes);
    ASSERT_EQ(string_isAscii(exact.get(), n), model::isAscii(bytes.data(), n)) << ::testing::PrintToString(bytes);
}

struct EncodingCase {
    std::vector<uint8_t> bytes;
    bool ascii, utf8;
};

TEST(StringEncoding, PublishedExamples)
{
    const EncodingCase cases[] = {
        {{}, true, true},
        {{'a', 'b', 'c', 0, 'd', 'e', 'f'}, true, true},
        {{0x80}, false, false}, {{0xFF}, false, false},
        {{0xC3, 0xA9}, false, true}, {{0xE2, 0x82, 0xAC}, false, true},
        {{0xF0, 0x9F, 0x98, 0x80}, false, true}, {{0xE2, 0x82}, false, false}, {{0xC3}, false, false},
        {{0xC0, 0x80}, false, false}, {{0xC1, 0xBF}, false, false}, {{0xE0, 0x9F, 0xBF}, false, false},
        {{0xED, 0xA0, 0x80}, false, false}, {{0xF0, 0x8F, 0xBF, 0xBF}, false, false},
        {{0xF4, 0x90, 0x80, 0x80}, false, false}, {{0xF5, 0x80, 0x80, 0x80}, false, false},
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, false, false},
        {{0xC2, 0x80}, false, true}, {{0xE0, 0xA0, 0x80}, false, true}, {{0xED, 0x9F, 0xBF}, false, true},
        {{0xEE, 0x80, 0x80}, false, true}, {{0xF0, 0x90, 0x80, 0x80}, false, true},
        {{0xF4, 0x8F, 0xBF, 0xBF}, false, true},
        {{0xE2, 0x82, 0xAC, 0x80}, false, false}, {{0xC3, 0x28}, false, false},
        {{0xC3, 0xA9, 0x41}, false, true},
        // the same after runs of ASCII long enough for the word-wise path
        {{'0', '1', '2', '3', '4', '5', '6', '7', '8', 0xC3}, false, false},
        {{'0', '1', '2', '3', '4', '5', '6', '7', 0xF0, 0x9F, 0x98, 0x80, 'x'}, false, true},
        {{'0', '1', '2', '3', '4', '5', '6', 0xED, 0xA0, 0x80, 'x', 'y', 'z', 'w'}, false, false},
    };
    for (const EncodingCase &c : cases) {
        const char *p = reinterpret_cast<const char *>(c.bytes.data());
        static const char empty[1] = {0};
        if (c.bytes.empty())
            p = empty;
        EXPECT_EQ(string_isAscii(p, uint32_t(c.bytes.size())), c.ascii) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(string_isUtf8(p, uint32_t(c.bytes.size())), c.utf8) << ::testing::PrintToString(c.bytes);
        checkEncoding(c.bytes);
    }
    const char prefix[] = "\xC3\xA9\x41";
    EXPECT_TRUE(string_isUtf8(prefix, 2));
    EXPECT_FALSE(string_isUtf8(prefix, 1));
    EXPECT_FALSE(string_isUtf8(NULL, 0));
    EXPECT_FALSE(string_isAscii(NULL, 0));
    EXPECT_FALSE(string_isUtf8(NULL, 5));
    EXPECT_FALSE(string_isAscii(NULL, 5));
}

TEST(StringEncoding, EveryLeadByteWithEveryBoundaryAgreesWithDecoder)
{
    // Each lead byte, followed by second bytes at every class boundary and
    // filler continuations, cut at every length, at every offset of a word.
    const uint8_t seconds[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (int lead = 0; lead < 256; lead++) {
        for (uint8_t second : seconds) {
            for (uint8_t third : {0x80, 0xBF, 0x41}) {
                for (size_t pad = 0; pad < 9; pad++) {
                    std::vector<uint8_t> bytes(pad, 'a');
                    for (uint8_t b : {uint8_t(lead), second, third, uint8_t(0xBF)})
                        bytes.push_back(b);
                    for (size_t cut = pad; cut <= bytes.size(); cut++)
                        checkEncoding(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
                }
            }
        }
    }
}

TEST(StringEncoding, RandomTextsAgreeWithDecoder)
{
    std::mt19937 rng(77);
    // Pieces that make mostly-valid text with occasional faults.
    const std::vector<std::vector<uint8_t>> pieces = {
        {'a'}, {'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'}, {0}, {0xC3, 0xA9}, {0xD0, 0x96},
        {0xE4, 0xB8, 0xAD}, {0xED, 0x9F, 0xBF}, {0xF0, 0x9F, 0x98, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF},
        {0x80}, {0xC3}, {0xE0, 0x80}, {0xED, 0xB0, 0x80}, {0xF4, 0x90}, {0xFE},
    };
    for (int i = 0; i < 20000; i++) {
        std::vector<uint8_t> bytes;
        size_t count = rng() % 12;
        for (size_t k = 0; k < count; k++) {
            const auto &p = pieces[rng() % (i % 2 ? pieces.size() : 9)];
            bytes.insert(bytes.end(), p.begin(), p.end());
        }
        if (i % 3 == 0)
            bytes.push_back(uint8_t(rng()));
        checkEncoding(bytes);
    }
}

} // namespace
