// Text utilities: conversions, delimited fields, encoding checks.
#include "vulm/string.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" {

const char string_true[5] = "True";
const char string_false[6] = "False";

// Base-0 parse that must consume the whole, non-empty text.
static bool parse_long(const char *text, long *value)
{
    char *end;
    *value = strtol(text, &end, 0);
    return end != text && *end == '\0';
}

static bool parse_long_long(const char *text, long long *value)
{
    char *end;
    *value = strtoll(text, &end, 0);
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

static bool continuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
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

// Accepts exactly the well-formed UTF-8 byte sequences: shortest forms of
// U+0000..U+10FFFF without the surrogates. Each multi-byte character's
// length is checked before any of its continuation bytes is read.
bool string_isUtf8(const char *data, uint32_t length)
{
    if (data == NULL)
        return false;
    const uint8_t *s = (const uint8_t *)data;
    uint32_t i = 0;
    while (i < length) {
        uint32_t left = length - i;
        uint8_t c = s[i];
        if (c < 0x80) {
            // From an ASCII byte, try the next 16 at once: runs of ASCII
            // are the common case.
            if (left >= 16 && ascii16(data + i))
                i += 16;
            else
                i += 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (left < 2 || !continuation(s[i + 1]))
                return false;
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (left < 3 || !continuation(s[i + 1]) || !continuation(s[i + 2]))
                return false;
            if ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] > 0x9F))
                return false; // overlong, or a UTF-16 surrogate
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (left < 4 || !continuation(s[i + 1]) || !continuation(s[i + 2]) ||
                !continuation(s[i + 3]))
                return false;
            if ((c == 0xF0 && s[i + 1] < 0x90) || (c == 0xF4 && s[i + 1] > 0x8F))
                return false; // overlong, or above U+10FFFF
            i += 4;
        } else {
            return false; // continuation byte as lead, C0, C1, F5..FF
        }
    }
    return true;
}

} // extern "C"
