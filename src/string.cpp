// Text utilities: conversions, delimited fields, encoding checks.
#include "vulm/string.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The UTF-8 automaton. A state is a shift amount into a 32-bit row: after
// the byte b, the state is the low five bits of utf8Rows.row[b] >> state.
// The states' five-bit fields overlap within a row; these amounts are one
// choice (found by exhaustive search) under which the overlapping fields of
// every row agree, which utf8RowsAgree() checks at compile time. The error
// state is 0 and no state is 1, so state & 30 is zero only in the error state.
enum Utf8State : uint8_t {
    UTF8_ERROR = 0, UTF8_ACCEPT = 2, UTF8_MORE1 = 7, UTF8_MORE2 = 28, UTF8_MORE3 = 26,
    UTF8_AFTER_E0 = 15, UTF8_AFTER_ED = 23, UTF8_AFTER_F0 = 10, UTF8_AFTER_F4 = 18,
};

// Well-formed UTF-8 byte sequences (Unicode Standard, table 3-7), as
// transitions: from a state, a byte in first..last leads to a state. Every
// other byte leads to the error state: between characters (accept) a
// continuation byte, C0, C1 and F5..FF; after a lead byte anything but the
// continuation bytes of its range.
struct Utf8Rule {
    uint8_t from, first, last, to;
};
constexpr Utf8Rule utf8Rules[] = {
    {UTF8_ACCEPT, 0x00, 0x7F, UTF8_ACCEPT},
    {UTF8_ACCEPT, 0xC2, 0xDF, UTF8_MORE1},
    {UTF8_ACCEPT, 0xE0, 0xE0, UTF8_AFTER_E0},
    {UTF8_ACCEPT, 0xE1, 0xEC, UTF8_MORE2},
    {UTF8_ACCEPT, 0xED, 0xED, UTF8_AFTER_ED},
    {UTF8_ACCEPT, 0xEE, 0xEF, UTF8_MORE2},
    {UTF8_ACCEPT, 0xF0, 0xF0, UTF8_AFTER_F0},
    {UTF8_ACCEPT, 0xF1, 0xF3, UTF8_MORE3},
    {UTF8_ACCEPT, 0xF4, 0xF4, UTF8_AFTER_F4},
    {UTF8_MORE1, 0x80, 0xBF, UTF8_ACCEPT},
    {UTF8_MORE2, 0x80, 0xBF, UTF8_MORE1},
    {UTF8_MORE3, 0x80, 0xBF, UTF8_MORE2},
    {UTF8_AFTER_E0, 0xA0, 0xBF, UTF8_MORE1},
    {UTF8_AFTER_ED, 0x80, 0x9F, UTF8_MORE1},
    {UTF8_AFTER_F0, 0x90, 0xBF, UTF8_MORE2},
    {UTF8_AFTER_F4, 0x80, 0x8F, UTF8_MORE2},
};

// Row b holds, at each state's shift amount, the state that b leads to.
struct Utf8Rows {
    uint32_t row[256];

    constexpr Utf8Rows() : row()
    {
        for (const Utf8Rule &r : utf8Rules)
            for (unsigned b = r.first; b <= r.last; b++)
                row[b] |= (uint32_t)r.to << r.from;
    }
};
constexpr Utf8Rows utf8Rows;

// Whether every state's field of every row reads back as the rule's state,
// or as the error state where no rule applies.
constexpr bool utf8RowsAgree()
{
    const uint8_t states[] = {UTF8_ACCEPT, UTF8_MORE1, UTF8_MORE2, UTF8_MORE3,
                              UTF8_AFTER_E0, UTF8_AFTER_ED, UTF8_AFTER_F0, UTF8_AFTER_F4};
    for (uint8_t from : states)
        for (unsigned b = 0; b < 256; b++) {
            unsigned to = UTF8_ERROR;
            for (const Utf8Rule &r : utf8Rules)
                if (r.from == from && b >= r.first && b <= r.last)
                    to = r.to;
            if ((utf8Rows.row[b] >> from & 31) != to)
                return false;
        }
    return true;
}
static_assert(utf8RowsAgree(), "the states' fields of a row disagree");

} // namespace

extern "C" {

const char string_true[5] = "True";
const char string_false[6] = "False";

// glibc 2.38+ maps strtol/strtoll to C23 forms (0b prefixes, GLIBC_2.38); bind the C17 ones.
long c17_strtol(const char *text, char **end, int base) noexcept __asm__("strtol");
long long c17_strtoll(const char *text, char **end, int base) noexcept __asm__("strtoll");

// Base-0 parse that must consume the whole, non-empty text.
static bool parse_long(const char *text, long *value)
{
    char *end;
    *value = c17_strtol(text, &end, 0);
    return end != text && *end == '\0';
}

static bool parse_long_long(const char *text, long long *value)
{
    char *end;
    *value = c17_strtoll(text, &end, 0);
    return end != text && *end == '\0';
}

// The range checks read the parsed value as unsigned of the parser's width,
// so every negative value counts as too large; a clamped value always fails.
status_t string_toU8(const char *text, uint8_t *out)
{
    long v;
    if (text == NULL || out == NULL)
        return STATUS_NULL_ARGUMENT;
    if (!parse_long(text, &v) || (unsigned long)v > 255u)
        return STATUS_INVALID_VALUE;
    *out = (uint8_t)v;
    return STATUS_SUCCESS;
}

status_t string_toU16(const char *text, uint16_t *out)
{
    long v;
    if (text == NULL || out == NULL)
        return STATUS_NULL_ARGUMENT;
    if (!parse_long(text, &v) || (unsigned long)v > 65535u)
        return STATUS_INVALID_VALUE;
    *out = (uint16_t)v;
    return STATUS_SUCCESS;
}

status_t string_toU32(const char *text, uint32_t *out)
{
    long long v;
    if (text == NULL || out == NULL)
        return STATUS_NULL_ARGUMENT;
    if (!parse_long_long(text, &v) || (unsigned long long)v > 4294967295u)
        return STATUS_INVALID_VALUE;
    *out = (uint32_t)v;
    return STATUS_SUCCESS;
}

status_t string_toS64(const char *text, int64_t *out)
{
    long long v;
    if (text == NULL || out == NULL)
        return STATUS_NULL_ARGUMENT;
    if (!parse_long_long(text, &v))
        return STATUS_INVALID_VALUE;
    *out = (int64_t)v;
    return STATUS_SUCCESS;
}

status_t string_toS32(const char *text, int32_t *out)
{
    if (text == NULL || out == NULL)
        return STATUS_NULL_ARGUMENT;
    uint32_t magnitude = 0;
    bool negative = text[0] == '-';
    status_t status = string_toU32(negative ? text + 1 : text, &magnitude);
    if (magnitude > 2147483647u)
        return STATUS_INVALID_VALUE;
    *out = negative ? -(int32_t)magnitude : (int32_t)magnitude;
    return status;
}

// Shared frame of the formatting functions: measure, report the size,
// allocate the exact zero-filled block once, then format into it.
__attribute__((format(printf, 3, 4)))
static status_t format_new(char **result, uint32_t *size, const char *format, ...)
{
    va_list args;
    if (result == NULL || size == NULL)
        return STATUS_NULL_ARGUMENT;
    va_start(args, format);
    uint32_t bytes = (uint32_t)vsnprintf(NULL, 0, format, args) + 1u;
    va_end(args);
    *size = bytes;
    if (bytes == 0)
        return STATUS_NO_MEMORY;
    *result = (char *)calloc(1, bytes);
    if (*result == NULL)
        return STATUS_NO_MEMORY;
    va_start(args, format);
    vsnprintf(*result, bytes, format, args);
    va_end(args);
    return STATUS_SUCCESS;
}

status_t string_fromBool(bool value, const char *prefix, char **result, uint32_t *size)
{
    return format_new(result, size, "%s%s", prefix, value ? string_true : string_false);
}

status_t string_fromS32(int32_t value, const char *prefix, char **result, uint32_t *size)
{
    return format_new(result, size, "%s%i", prefix, (int)value);
}

status_t string_fromU16(uint16_t value, const char *prefix, char **result, uint32_t *size)
{
    return format_new(result, size, "%s%u", prefix, (unsigned)value);
}

char *string_getDelimitedStringPart(const char *text, char delimiter, uint32_t index)
{
    if (text == NULL)
        return NULL;
    // Lengths and positions are 8-bit: a longer text counts as its first
    // (length % 256) bytes.
    uint32_t length = (uint8_t)strlen(text);
    uint32_t begin = 0, end = length, count = 0;
    for (uint32_t i = 0; i < length; i++) {
        if (delimiter == '\0' || text[i] != delimiter)
            continue;
        if (count == index) {
            end = i;
            break;
        }
        count++;
        begin = i + 1;
    }
    char *field = (char *)malloc(end - begin + 1);
    if (field == NULL)
        return NULL;
    memcpy(field, text + begin, end - begin);
    field[end - begin] = '\0';
    return field;
}

// Whether the 16 bytes at p are all below 0x80. memcpy makes the unaligned
// loads well-defined; compilers turn each into a single load.
static bool ascii16(const char *p)
{
    uint64_t a, b;
    memcpy(&a, p, sizeof a);
    memcpy(&b, p + 8, sizeof b);
    return ((a | b) & 0x8080808080808080u) == 0;
}

bool string_isAscii(const char *data, uint32_t length)
{
    if (data == NULL)
        return false;
    uint32_t i = 0;
    for (; length - i >= 16; i += 16)
        if (!ascii16(data + i))
            return false;
    for (; i < length; i++)
        if ((uint8_t)data[i] >= 0x80)
            return false;
    return true;
}

// One step of the automaton: false once it is in the error state. The shift
// needs the state's low five bits only; testing state & 30 rather than
// state & 31 leaves the masking off the chain from one shift to the next.
static inline bool utf8Step(uint32_t *state, uint8_t byte)
{
    *state = utf8Rows.row[byte] >> (*state & 31);
    return (*state & 30) != 0;
}

// The four bytes at p as one word whose least significant byte is the first
// of them, on either byte order: big-endian machines swap the bytes, by a
// choice made at build time. memcpy makes the unaligned load well-defined;
// compilers turn it into a single load (a byte-reversed one where there is).
static inline uint32_t load32(const uint8_t *p)
{
    uint32_t word;
    memcpy(&word, p, sizeof word);
    return __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? __builtin_bswap32(word) : word;
}

// Byte k of a word from load32: the k-th of the four in memory.
static inline uint8_t byteOf(uint32_t word, unsigned k)
{
    return (uint8_t)(word >> 8 * k);
}

// The four bytes of a word, in memory order. Four steps a turn keep the
// loop's own compare and branch off most bytes.
static inline bool utf8Step4(uint32_t *state, uint32_t word)
{
    return utf8Step(state, byteOf(word, 0)) && utf8Step(state, byteOf(word, 1)) &&
           utf8Step(state, byteOf(word, 2)) && utf8Step(state, byteOf(word, 3));
}

// Accepts exactly the well-formed UTF-8 byte sequences: shortest forms of
// U+0000..U+10FFFF without the surrogates. One look-up and one shift per
// byte, no branch on the byte's class, and a stop within the 16-byte block
// (or the tail) that holds the first byte that cannot continue well-formed
// UTF-8. Each byte is loaded once: a block as four words, which between
// characters pass at once when they are all ASCII and otherwise go through
// the automaton from the words already loaded.
bool string_isUtf8(const char *data, uint32_t length)
{
    if (data == NULL)
        return false;
    const uint8_t *p = (const uint8_t *)data, *end = p + length;
    uint32_t state = UTF8_ACCEPT;
    for (; end - p >= 16; p += 16) {
        const uint32_t w0 = load32(p), w1 = load32(p + 4), w2 = load32(p + 8), w3 = load32(p + 12);
        if (((w0 | w1 | w2 | w3) & 0x80808080u) == 0 && (state & 31) == UTF8_ACCEPT)
            continue;
        if (!utf8Step4(&state, w0) || !utf8Step4(&state, w1) || !utf8Step4(&state, w2) ||
            !utf8Step4(&state, w3))
            return false;
    }
    for (; end - p >= 4; p += 4)
        if (!utf8Step4(&state, load32(p)))
            return false;
    for (; p != end; p++)
        if (!utf8Step(&state, *p))
            return false;
    return (state & 31) == UTF8_ACCEPT;
}

} // extern "C"
