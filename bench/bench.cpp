// Timings of the library against what a user would pick instead, measured
// in one run on the same inputs. Pairs are named "<what>/<who>".
#include <benchmark/benchmark.h>

#include <pthread.h>
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

#include "common.h"

namespace {

using namespace bench;

// ------------------------------------------------------------ string_toU32

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

template <size_t Bytes>
void utf8_short_glib(benchmark::State &state)
{
    const auto texts = shortTexts(Bytes);
    for (auto _ : state)
        for (const std::string &t : texts)
            benchmark::DoNotOptimize(g_utf8_validate_len(t.data(), t.size(), NULL));
}
BENCHMARK(utf8_short_glib<12>)->Name("utf8_short12/glib");
BENCHMARK(utf8_short_glib<32>)->Name("utf8_short32/glib");
BENCHMARK(utf8_short_glib<64>)->Name("utf8_short64/glib");
#endif

// A batch of 1,024 different short strings per iteration.
template <size_t Bytes>
void utf8_short_vulm(benchmark::State &state)
{
    const auto texts = shortTexts(Bytes);
    for (auto _ : state)
        for (const std::string &t : texts)
            benchmark::DoNotOptimize(string_isUtf8(t.data(), uint32_t(t.size())));
}

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
    for (auto _ : state)
        benchmark::DoNotOptimize(bitLoop(buf.data(), fields[i++ & 1023]));
}

void bits_load64(benchmark::State &state)
{
    auto buf = randomBytes(kBufferBytes);
    buf.resize(kBufferBytes + 8);
    const auto fields = randomFields(kBufferBytes);
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(load64(buf.data(), fields[i++ & 1023]));
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

// The floor of the semaphore's design: a post and a take are each one
// mutex lock/unlock pair, and a post signals the condition variable.
void floor_mutex(benchmark::State &state)
{
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    for (auto _ : state) {
        pthread_mutex_lock(&m);
        pthread_mutex_unlock(&m);
    }
}

void floor_signal(benchmark::State &state)
{
    pthread_cond_t c = PTHREAD_COND_INITIALIZER;
    for (auto _ : state)
        pthread_cond_signal(&c);
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
BENCHMARK(utf8_short_vulm<12>)->Name("utf8_short12/vulm");
BENCHMARK(utf8_short_vulm<32>)->Name("utf8_short32/vulm");
BENCHMARK(utf8_short_vulm<64>)->Name("utf8_short64/vulm");
BENCHMARK(ascii_vulm)->Name("ascii/vulm");
BENCHMARK(ascii_byteloop)->Name("ascii/byteloop");
BENCHMARK(crc_vulm<true>)->Name("crc16_ansi/vulm");
BENCHMARK(crc_vulm<false>)->Name("crc16_ccitt/vulm");
BENCHMARK(bits_vulm)->Name("bits/vulm");
BENCHMARK(bits_bitloop)->Name("bits/bitloop");
BENCHMARK(bits_load64)->Name("bits/load64");
BENCHMARK(sem_uncontended_vulm)->Name("sem_uncontended/vulm");
BENCHMARK(sem_uncontended_posix)->Name("sem_uncontended/posix");
BENCHMARK(floor_mutex)->Name("floor/mutex");
BENCHMARK(floor_signal)->Name("floor/signal");
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
