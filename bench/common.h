// Inputs and simple peers shared by the timing benchmark (bench.cpp) and
// the instruction counter (count.cpp), so that both measure the same work.
#ifndef VULM_BENCH_COMMON_H
#define VULM_BENCH_COMMON_H

#include <stdint.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

namespace bench {

constexpr size_t k64KiB = 64 * 1024;

inline std::vector<std::string> numberTexts()
{
    std::mt19937 rng(1);
    std::vector<std::string> texts;
    for (int i = 0; i < 256; i++)
        texts.push_back(std::to_string(rng() >> (rng() % 32)));
    return texts;
}

inline std::string asciiText(size_t bytes = k64KiB)
{
    std::string s;
    while (s.size() < bytes)
        s += "The quick brown fox jumps over the lazy dog; 0123456789. ";
    s.resize(bytes);
    return s;
}

// Latin, Cyrillic, CJK and emoji, cut at a character boundary: up to 32
// bytes short of `bytes`.
inline std::string mixedText(size_t bytes = k64KiB)
{
    const char *pieces[] = {"Grüße aus Köln, ", "Привет из Москвы, ", "来自北京的问候，", "😀🚀 ", "naïve café "};
    std::string s;
    for (int i = 0; s.size() < bytes - 32; i++)
        s += pieces[i % 5];
    return s;
}

// A straightforward byte-at-a-time validator of the same rules.
inline bool byteLoopUtf8(const unsigned char *s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        if (c < 0x80) {
            i++;
            continue;
        }
        size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (len == 0 || n - i < len)
            return false;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
        else if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
        if (s[i + 1] < lo || s[i + 1] > hi)
            return false;
        for (size_t k = 2; k < len; k++)
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

inline bool byteLoopAscii(const unsigned char *s, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (s[i] >= 0x80)
            return false;
    return true;
}

// `count` different strings of about `bytes` bytes (ZigBee character
// strings are at most 254), cut from the mixed text at character boundaries.
inline std::vector<std::string> shortTexts(size_t bytes, size_t count = 1024)
{
    const std::string text = mixedText();
    std::mt19937 rng(4);
    std::vector<std::string> texts;
    while (texts.size() < count) {
        size_t begin = rng() % (text.size() - 2 * bytes), end = begin + bytes;
        while ((text[begin] & 0xC0) == 0x80)
            begin++;
        while ((text[end] & 0xC0) == 0x80)
            end--;
        texts.push_back(text.substr(begin, end - begin));
    }
    return texts;
}

inline std::vector<uint8_t> randomBytes(size_t n)
{
    std::mt19937 rng(2);
    std::vector<uint8_t> v(n);
    for (uint8_t &b : v)
        b = uint8_t(rng());
    return v;
}

struct Field {
    uint32_t start, length;
};

inline std::vector<Field> randomFields(uint32_t bytes)
{
    std::mt19937 rng(3);
    std::vector<Field> fields(1024);
    for (Field &f : fields) {
        f.length = 1 + rng() % 64;
        f.start = rng() % (8 * bytes - f.length + 1);
    }
    return fields;
}

constexpr uint32_t kBufferBytes = 4096;

inline uint64_t bitLoop(const uint8_t *buf, const Field &f)
{
    uint64_t v = 0;
    for (uint32_t k = 0; k < f.length; k++) {
        uint32_t p = f.start + k;
        v |= uint64_t((buf[p / 8] >> (p % 8)) & 1) << k;
    }
    return v;
}

// Unaligned 8-byte little-endian load and shift, plus the ninth byte when
// the field reaches into it (the buffer is padded so the load stays inside).
inline uint64_t load64(const uint8_t *buf, const Field &f)
{
    uint64_t word;
    memcpy(&word, &buf[f.start / 8], 8);
    uint32_t shift = f.start % 8;
    uint64_t v = word >> shift;
    if (shift != 0)
        v |= uint64_t(buf[f.start / 8 + 8]) << (64 - shift);
    if (f.length < 64)
        v &= (uint64_t(1) << f.length) - 1;
    return v;
}

} // namespace bench

#endif
