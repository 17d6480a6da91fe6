// Straightforward reference models that the tests and the fuzz targets
// compare the library with. They are written from the definitions, not
// from the library's algorithms.
#ifndef VULM_TESTS_MODELS_H
#define VULM_TESTS_MODELS_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace model {

// Decodes each character's code point and rejects what the Unicode
// Standard excludes: overlong forms, surrogates, values above U+10FFFF.
inline bool isUtf8(const uint8_t *s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        uint8_t c = s[i];
        size_t len;
        uint32_t cp;
        if (c < 0x80) {
            len = 1, cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        for (size_t k = 1; k < len; k++) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < smallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

inline bool isAscii(const uint8_t *s, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (s[i] >= 0x80)
            return false;
    return true;
}

// Field `index` of the first (length % 256) bytes of `text` split at every
// delimiter byte; the last field for an index past the end.
inline std::string field(const std::string &text, char delimiter, uint32_t index)
{
    std::string considered = text.substr(0, text.size() % 256);
    std::vector<std::string> fields(1);
    for (char ch : considered) {
        if (ch == delimiter && delimiter != '\0')
            fields.emplace_back();
        else
            fields.back() += ch;
    }
    return fields[index < fields.size() ? index : fields.size() - 1];
}

// Bits start .. start + length - 1 of the buffer read as one little-endian
// integer, bit by bit; the caller keeps the field inside the buffer.
inline uint64_t bitsUnsigned(const uint8_t *buf, uint32_t start, uint32_t length)
{
    uint64_t v = 0;
    for (uint32_t k = 0; k < length; k++) {
        uint64_t p = uint64_t(start) + k;
        v |= uint64_t((buf[p / 8] >> (p % 8)) & 1) << k;
    }
    return v;
}

inline int64_t bitsSigned(const uint8_t *buf, uint32_t start, uint32_t length)
{
    uint64_t v = bitsUnsigned(buf, start, length);
    if (length < 64 && (v >> (length - 1)) & 1)
        v |= ~uint64_t(0) << length;
    return int64_t(v);
}

// The bit-by-bit CRC definitions.
inline uint16_t crcCcitt(uint16_t crc, const uint8_t *p, size_t n)
{
    unsigned c = crc;
    for (size_t i = 0; i < n; i++) {
        c ^= unsigned(p[i]) << 8;
        for (int k = 0; k < 8; k++)
            c = (c & 0x8000) ? ((c << 1) ^ 0x1021) & 0xFFFF : (c << 1) & 0xFFFF;
    }
    return uint16_t(c);
}

inline uint16_t crcAnsi(uint16_t crc, const uint8_t *p, size_t n)
{
    unsigned c = crc;
    for (size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
    }
    return uint16_t(c);
}

// C's base-0 integer syntax: white space, sign, then "0x" hex digits, a
// leading-0 octal number or a decimal one. `valid` tells whether the whole
// text is one such number; `negative` and the magnitude (saturated at
// 2^64 - 1, with `overflow` set beyond it) describe it.
struct Number {
    bool valid = false, negative = false, overflow = false;
    uint64_t magnitude = 0;
};

inline Number parse(const char *s)
{
    Number n;
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        s++;
    if (*s == '+' || *s == '-')
        n.negative = *s++ == '-';
    unsigned base = 10;
    auto digit = [](char ch) {
        return ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'a' && ch <= 'z' ? ch - 'a' + 10
                                               : ch >= 'A' && ch <= 'Z' ? ch - 'A' + 10
                                                                        : 99;
    };
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && digit(s[2]) < 16)
        base = 16, s += 2;
    else if (s[0] == '0')
        base = 8;
    const char *first = s;
    for (; unsigned(digit(*s)) < base; s++) {
        unsigned d = unsigned(digit(*s));
        if (n.magnitude > (UINT64_MAX - d) / base)
            n.overflow = true, n.magnitude = UINT64_MAX;
        else if (!n.overflow)
            n.magnitude = n.magnitude * base + d;
    }
    n.valid = s != first && *s == '\0';
    return n;
}

// The value a signed parser of `bits` bits gives for n, clamped as strtol
// and strtoll clamp, as an unsigned number of that width.
inline uint64_t clampedBits(const Number &n, unsigned bits)
{
    uint64_t max = (uint64_t(1) << (bits - 1)) - 1, mask = bits == 64 ? ~uint64_t(0) : (max << 1) | 1;
    if (!n.negative)
        return n.overflow || n.magnitude > max ? max : n.magnitude;
    if (n.overflow || n.magnitude > max + 1)
        return (max + 1) & mask;
    return (0 - n.magnitude) & mask;
}

} // namespace model

#endif
