// Timings of the library against what a user would pick instead, measured
// in one run on the same inputs. Pairs are named "<what>/<who>".
#include <benchmark/benchmark.h>

#include <semaphore.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <random>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "vulm/bitreader.h"
#include "vulm/crc16.h"
#include "vulm/lock_token.h"
#include "vulm/semaphore.h"
#include "vulm/string.h"

#ifdef VULM_BENCH_GLIB
#include <glib.h>
#endif
#ifdef VULM_BENCH_BOOST
#include <boost/crc.hpp>
#endif

namespace {

constexpr size_t k64KiB = 64 * 1024;

// ------------------------------------------------------------ string_toU32

std::vector<std::string> numberTexts()
{
    std::mt19937 rng(1);
    std::vector<std::string> texts;
    for (int i = 0; i < 256; i++)
        texts.push_back(std::to_string(rng() >> (rng() % 32)));
    return texts;
}

void toU32_vulm(benchmark::State &state)
{
    const auto texts = numberTexts();
    size_t i = 0;
    for (auto _ : state) {
        uint32_t v;
        benchmark::DoNotOptimize(string_toU32(texts[i++ & 255].c_str(), &v));
        benchmark::DoNotOptimize(v);
    }
}

void toU32_strtoll(benchmark::State &state)
{
    const auto texts = numberTexts();
    size_t i = 0;
    for (auto _ : state) {
        const char *t = texts[i++ & 255].c_str();
        char *end;
        long long v = strtoll(t, &end, 0);
        bool ok = end != t && *end == '\0' && (unsigned long long)v <= 0xFFFFFFFFu;
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(v);
    }
}

// ------------------------------------------------------------ encodings

std::string asciiText()
{
    std::string s;
    while (s.size() < k64KiB)
        s += "The quick brown fox jumps over the lazy dog; 0123456789. ";
    s.resize(k64KiB);
    return s;
}

// Latin, Cyrillic, CJK and emoji, cut at a character boundary.
std::string mixedText()
{
    const char *pieces[] = {"Grüße aus Köln, ", "Привет из Москвы, ", "来自北京的问候，", "😀🚀 ", "naïve café "};
    std::string s;
    for (int i = 0; s.size() < k64KiB - 32; i++)
        s += pieces[i % 5];
    return s;
}

// A straightforward byte-at-a-time validator of the same rules.
bool byteLoopUtf8(const unsigned char *s, size_t n)
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

bool byteLoopAscii(const unsigned char *s, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (s[i] >= 0x80)
            return false;
    return true;
}

template <bool Mixed>
void utf8_vulm(benchmark::State &state)
{
    const std::string text = Mixed ? mixedText() : asciiText();
    for (auto _ : state)
        benchmark::DoNotOptimize(string_isUtf8(text.data(), uint32_t(text.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

template <bool Mixed>
void utf8_byteloop(benchmark::State &state)
{
    const std::string text = Mixed ? mixedText() : asciiText();
    for (auto _ : state)
        benchmark::DoNotOptimize(byteLoopUtf8(reinterpret_cast<const unsigned char *>(text.data()), text.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

#ifdef VULM_BENCH_GLIB
template <bool Mixed>
void utf8_glib(benchmark::State &state)
{
    const std::string text = Mixed ? mixedText() : asciiText();
    for (auto _ : state)
        benchmark::DoNotOptimize(g_utf8_validate_len(text.data(), text.size(), NULL));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(utf8_glib<false>)->Name("utf8_ascii/glib");
BENCHMARK(utf8_glib<true>)->Name("utf8_mixed/glib");
#endif

void ascii_vulm(benchmark::State &state)
{
    const std::string text = asciiText();
    for (auto _ : state)
        benchmark::DoNotOptimize(string_isAscii(text.data(), uint32_t(text.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void ascii_byteloop(benchmark::State &state)
{
    const std::string text = asciiText();
    for (auto _ : state)
        benchmark::DoNotOptimize(byteLoopAscii(reinterpret_cast<const unsigned char *>(text.data()), text.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// ------------------------------------------------------------ CRC-16

std::vector<uint8_t> randomBytes(size_t n)
{
    std::mt19937 rng(2);
    std::vector<uint8_t> v(n);
    for (uint8_t &b : v)
        b = uint8_t(rng());
    return v;
}

template <bool Ansi>
void crc_vulm(benchmark::State &state)
{
    const auto data = randomBytes(k64KiB);
    for (auto _ : state)
        benchmark::DoNotOptimize(Ansi ? crc16_ansi(0, data.data(), uint32_t(data.size()))
                                      : crc16_ccitt(0, data.data(), uint32_t(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

#ifdef VULM_BENCH_BOOST
template <bool Ansi>
void crc_boost(benchmark::State &state)
{
    const auto data = randomBytes(k64KiB);
    for (auto _ : state) {
        if (Ansi) {
            boost::crc_optimal<16, 0x8005, 0, 0, true, true> crc; // CRC-16/ARC
            crc.process_bytes(data.data(), data.size());
            benchmark::DoNotOptimize(crc.checksum());
        } else {
            boost::crc_optimal<16, 0x1021, 0, 0, false, false> crc; // CRC-16/XMODEM
            crc.process_bytes(data.data(), data.size());
            benchmark::DoNotOptimize(crc.checksum());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(crc_boost<true>)->Name("crc16_ansi/boost");
BENCHMARK(crc_boost<false>)->Name("crc16_ccitt/boost");
#endif

// ------------------------------------------------------------ bit reader

struct Field {
    uint32_t start, length;
};

std::vector<Field> randomFields(uint32_t bytes)
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

void bits_vulm(benchmark::State &state)
{
    const auto buf = randomBytes(kBufferBytes);
    const auto fields = randomFields(kBufferBytes);
    bitreader_t r;
    bitreader_construct(&r, buf.data(), kBufferBytes);
    size_t i = 0;
    for (auto _ : state) {
        const Field &f = fields[i++ & 1023];
        benchmark::DoNotOptimize(bitreader_getUnsigned(&r, f.start, f.length));
    }
}

void bits_bitloop(benchmark::State &state)
{
    const auto buf = randomBytes(kBufferBytes);
    const auto fields = randomFields(kBufferBytes);
    size_t i = 0;
    for (auto _ : state) {
        const Field &f = fields[i++ & 1023];
        uint64_t v = 0;
        for (uint32_t k = 0; k < f.length; k++) {
            uint32_t p = f.start + k;
            v |= uint64_t((buf[p / 8] >> (p % 8)) & 1) << k;
        }
        benchmark::DoNotOptimize(v);
    }
}

// Unaligned 8-byte little-endian load and shift, plus the ninth byte when
// the field reaches into it (buffer padded so the load stays inside).
void bits_load64(benchmark::State &state)
{
    auto buf = randomBytes(kBufferBytes);
    buf.resize(kBufferBytes + 8);
    const auto fields = randomFields(kBufferBytes);
    size_t i = 0;
    for (auto _ : state) {
        const Field &f = fields[i++ & 1023];
        uint64_t word;
        memcpy(&word, &buf[f.start / 8], 8);
        uint32_t shift = f.start % 8;
        uint64_t v = word >> shift;
        if (shift != 0)
            v |= uint64_t(buf[f.start / 8 + 8]) << (64 - shift);
        if (f.length < 64)
            v &= (uint64_t(1) << f.length) - 1;
        benchmark::DoNotOptimize(v);
    }
}

// ------------------------------------------------------------ semaphore

void sem_uncontended_vulm(benchmark::State &state)
{
    semaphore s(0, NULL);
    for (auto _ : state) {
        s.post();
        benchmark::DoNotOptimize(s.tryWait());
    }
}

void sem_uncontended_posix(benchmark::State &state)
{
    sem_t s;
    sem_init(&s, 0, 0);
    for (auto _ : state) {
        sem_post(&s);
        benchmark::DoNotOptimize(sem_trywait(&s));
    }
    sem_destroy(&s);
}

// One round trip between two threads per iteration.
void sem_pingpong_vulm(benchmark::State &state)
{
    semaphore ping(0, NULL), pong(0, NULL);
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        for (;;) {
            ping.doWait();
            if (stop)
                return;
            pong.post();
        }
    });
    for (auto _ : state) {
        ping.post();
        pong.doWait();
    }
    stop = true;
    ping.post();
    partner.join();
}

void sem_pingpong_posix(benchmark::State &state)
{
    sem_t ping, pong;
    sem_init(&ping, 0, 0);
    sem_init(&pong, 0, 0);
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        for (;;) {
            while (sem_wait(&ping) != 0) {
            }
            if (stop)
                return;
            sem_post(&pong);
        }
    });
    for (auto _ : state) {
        sem_post(&ping);
        while (sem_wait(&pong) != 0) {
        }
    }
    stop = true;
    sem_post(&ping);
    partner.join();
    sem_destroy(&ping);
    sem_destroy(&pong);
}

// ------------------------------------------------------------ lock token

// Each lock() takes a new read lock and drops the one held before.
void lock_vulm(benchmark::State &state)
{
    LockToken owner;
    auto token = owner.token();
    for (auto _ : state)
        benchmark::DoNotOptimize(token->lock());
}

void lock_shared_mutex(benchmark::State &state)
{
    std::shared_mutex m;
    for (auto _ : state) {
        m.lock_shared();
        m.unlock_shared();
    }
}

// The whole life of a token per iteration: make, lock, drop.
void lock_fresh_token_vulm(benchmark::State &state)
{
    LockToken owner;
    for (auto _ : state) {
        auto token = owner.token();
        benchmark::DoNotOptimize(token->lock());
    }
}

} // namespace

BENCHMARK(toU32_vulm)->Name("toU32/vulm");
BENCHMARK(toU32_strtoll)->Name("toU32/strtoll");
BENCHMARK(utf8_vulm<false>)->Name("utf8_ascii/vulm");
BENCHMARK(utf8_byteloop<false>)->Name("utf8_ascii/byteloop");
BENCHMARK(utf8_vulm<true>)->Name("utf8_mixed/vulm");
BENCHMARK(utf8_byteloop<true>)->Name("utf8_mixed/byteloop");
BENCHMARK(ascii_vulm)->Name("ascii/vulm");
BENCHMARK(ascii_byteloop)->Name("ascii/byteloop");
BENCHMARK(crc_vulm<true>)->Name("crc16_ansi/vulm");
BENCHMARK(crc_vulm<false>)->Name("crc16_ccitt/vulm");
BENCHMARK(bits_vulm)->Name("bits/vulm");
BENCHMARK(bits_bitloop)->Name("bits/bitloop");
BENCHMARK(bits_load64)->Name("bits/load64");
BENCHMARK(sem_uncontended_vulm)->Name("sem_uncontended/vulm");
BENCHMARK(sem_uncontended_posix)->Name("sem_uncontended/posix");
BENCHMARK(sem_pingpong_vulm)->Name("sem_pingpong/vulm")->UseRealTime();
BENCHMARK(sem_pingpong_posix)->Name("sem_pingpong/posix")->UseRealTime();
BENCHMARK(lock_vulm)->Name("lock/vulm");
BENCHMARK(lock_shared_mutex)->Name("lock/shared_mutex");
BENCHMARK(lock_fresh_token_vulm)->Name("lock_fresh_token/vulm");

// Every measurement runs with the process already multi-threaded, the
// regime thread primitives are used in: glibc elides the atomic operations
// of mutexes in a process that never had a second thread.
int main(int argc, char **argv)
{
    std::thread([] {}).join();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
