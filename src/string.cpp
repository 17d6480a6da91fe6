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

} // extern "C"
