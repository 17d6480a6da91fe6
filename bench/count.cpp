// The work of each benchmark, run a given number of times between two marker
// calls, for counting the instructions it executes (scripts/bench --target,
// under qemu-user): the count between the markers with REPS runs less the
// count with none, over REPS and over the units of one run, is the cost per
// unit, exactly repeatable. First it prints the address range of the
// library's code, so that the instructions run inside it can be told apart;
// then it runs each named work in turn, each between its own pair of
// markers. With --gate the inputs are the small ones of the cost gate, and
// each work runs once more before its counted stretch.
//   usage: vulm-count [--gate] --list          names and the unit of each work
//          vulm-count [--gate] REPS NAME...
#include <elf.h>
#include <link.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <functional>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "common.h"
#include "vulm/bitreader.h"
#include "vulm/crc16.h"
#include "vulm/lock_token.h"
#include "vulm/semaphore.h"
#include "vulm/string.h"

#ifdef VULM_BENCH_BOOST
#include <boost/crc.hpp>
#endif
// GLib's validator, the one function of it used here, declared as GLib does
// (gboolean is int, gsize is size_t) so that no GLib headers are needed for
// the target.
extern "C" int g_utf8_validate_len(const char *str, size_t max_len, const char **end) __attribute__((weak));

// Calls that mark the counted stretch in the execution log by their names.
extern "C" __attribute__((noinline, used)) void vulm_count_begin() { asm volatile(""); }
extern "C" __attribute__((noinline, used)) void vulm_count_end() { asm volatile(""); }

using namespace bench;

namespace {

volatile uint64_t sink;

// A work: its name, its unit, what it prepares (the number of units in one
// run) and one run. Only the chosen work prepares its input.
struct Work {
    std::string name, unit;
    std::function<size_t()> prepare;
    std::function<void()> once;
};

std::vector<std::string> numbers, shorts[3];
std::string ascii, mixed;
std::vector<uint8_t> bytes, padded;
std::vector<Field> fields;
bitreader_t reader;
semaphore sem(0, NULL);
sem_t posix;
pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
LockToken owner;
std::shared_ptr<LockToken::Token> token = owner.token();
std::shared_mutex shared;

// The cost gate's inputs are small, to be counted quickly, yet run every
// path of every loop. 4 KiB of ASCII ends with a whole 16-byte block, as
// many short strings do; the mixed text, with characters of every length,
// is padded to end with a four-byte run and three single bytes, the two
// tails of the UTF-8 walk. (On 4 KiB a tail's cost is below the gate's
// resolution; the short strings weigh it.)
bool gate;
constexpr size_t kGateBytes = 4096, kGateTail = 7;

size_t prepareNumbers() { numbers = numberTexts(); return numbers.size(); }
size_t prepareAscii() { ascii = asciiText(gate ? kGateBytes : k64KiB); return ascii.size(); }
size_t prepareMixed()
{
    mixed = mixedText(gate ? kGateBytes : k64KiB);
    while (gate && mixed.size() % 16 != kGateTail)
        mixed += '.';
    return mixed.size();
}
size_t prepareBytes() { bytes = randomBytes(gate ? kGateBytes : k64KiB); return bytes.size(); }
size_t prepareFields()
{
    padded = randomBytes(kBufferBytes);
    padded.resize(kBufferBytes + 8);
    fields = randomFields(kBufferBytes);
    bitreader_construct(&reader, padded.data(), kBufferBytes);
    return fields.size();
}
size_t one() { return 1; }

bool glibUtf8(const std::string &s) { return g_utf8_validate_len(s.data(), s.size(), NULL); }
bool vulmUtf8(const std::string &s) { return string_isUtf8(s.data(), uint32_t(s.size())); }

std::vector<Work> works()
{
    std::vector<Work> w = {
        {"toU32/vulm", "call", prepareNumbers, [] { for (const auto &t : numbers) { uint32_t v = 0; sink = sink + string_toU32(t.c_str(), &v) + v; } }},
        {"toU32/strtoll", "call", prepareNumbers, [] { for (const auto &t : numbers) { char *end; long long v = strtoll(t.c_str(), &end, 0); sink = sink + (end != t.c_str() && *end == '\0' && (unsigned long long)v <= 0xFFFFFFFFu) + v; } }},
        {"utf8_ascii/vulm", "byte", prepareAscii, [] { sink = sink + vulmUtf8(ascii); }},
        {"utf8_ascii/byteloop", "byte", prepareAscii, [] { sink = sink + byteLoopUtf8((const unsigned char *)ascii.data(), ascii.size()); }},
        {"utf8_mixed/vulm", "byte", prepareMixed, [] { sink = sink + vulmUtf8(mixed); }},
        {"utf8_mixed/byteloop", "byte", prepareMixed, [] { sink = sink + byteLoopUtf8((const unsigned char *)mixed.data(), mixed.size()); }},
        {"ascii/vulm", "byte", prepareAscii, [] { sink = sink + string_isAscii(ascii.data(), uint32_t(ascii.size())); }},
        {"ascii/byteloop", "byte", prepareAscii, [] { sink = sink + byteLoopAscii((const unsigned char *)ascii.data(), ascii.size()); }},
        {"crc16_ansi/vulm", "byte", prepareBytes, [] { sink = sink + crc16_ansi(0, bytes.data(), uint32_t(bytes.size())); }},
        {"crc16_ccitt/vulm", "byte", prepareBytes, [] { sink = sink + crc16_ccitt(0, bytes.data(), uint32_t(bytes.size())); }},
        {"bits/vulm", "call", prepareFields, [] { for (const Field &f : fields) sink = sink + bitreader_getUnsigned(&reader, f.start, f.length); }},
        {"bits/bitloop", "call", prepareFields, [] { for (const Field &f : fields) sink = sink + bitLoop(padded.data(), f); }},
        {"bits/load64", "call", prepareFields, [] { for (const Field &f : fields) sink = sink + load64(padded.data(), f); }},
        {"sem_uncontended/vulm", "call", one, [] { sem.post(); sink = sink + sem.tryWait(); }},
        {"sem_uncontended/posix", "call", [] { sem_init(&posix, 0, 0); return size_t(1); }, [] { sem_post(&posix); sink = sink + sem_trywait(&posix); }},
        {"floor/mutex", "call", one, [] { pthread_mutex_lock(&mutex); pthread_mutex_unlock(&mutex); }},
        {"floor/signal", "call", one, [] { pthread_cond_signal(&cond); }},
        {"lock/vulm", "call", one, [] { sink = sink + token->lock(); }},
        {"lock/shared_mutex", "call", one, [] { shared.lock_shared(); shared.unlock_shared(); }},
    };
    for (int k = 0; k < 3; k++) {
        const size_t length = k == 0 ? 12 : k == 1 ? 32 : 64;
        const std::string name = "utf8_short" + std::to_string(length);
        auto prepare = [k, length] { shorts[k] = shortTexts(length, gate ? 64 : 1024); return shorts[k].size(); };
        w.push_back({name + "/vulm", "string", prepare, [k] { for (const auto &s : shorts[k]) sink = sink + vulmUtf8(s); }});
        if (g_utf8_validate_len)
            w.push_back({name + "/glib", "string", prepare, [k] { for (const auto &s : shorts[k]) sink = sink + glibUtf8(s); }});
    }
    if (g_utf8_validate_len) {
        w.push_back({"utf8_ascii/glib", "byte", prepareAscii, [] { sink = sink + glibUtf8(ascii); }});
        w.push_back({"utf8_mixed/glib", "byte", prepareMixed, [] { sink = sink + glibUtf8(mixed); }});
    }
#ifdef VULM_BENCH_BOOST
    w.push_back({"crc16_ansi/boost", "byte", prepareBytes, [] { boost::crc_optimal<16, 0x8005, 0, 0, true, true> c; c.process_bytes(bytes.data(), bytes.size()); sink = sink + c.checksum(); }});
    w.push_back({"crc16_ccitt/boost", "byte", prepareBytes, [] { boost::crc_optimal<16, 0x1021, 0, 0, false, false> c; c.process_bytes(bytes.data(), bytes.size()); sink = sink + c.checksum(); }});
#endif
    return w;
}

// Prints the address range of the library's code.
int printLibraryCode(struct dl_phdr_info *info, size_t, void *)
{
    if (strstr(info->dlpi_name, "libvulm-common.so") == NULL)
        return 0;
    for (int i = 0; i < info->dlpi_phnum; i++) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type == PT_LOAD && (ph.p_flags & PF_X) != 0)
            printf("library code %#lx %#lx\n", (unsigned long)(info->dlpi_addr + ph.p_vaddr),
                   (unsigned long)(info->dlpi_addr + ph.p_vaddr + ph.p_memsz));
    }
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "--gate") == 0) {
        gate = true;
        argc--;
        argv++;
    }
    // Multi-threaded, as thread primitives are used; the second thread
    // waits for good before the counted stretch begins.
    std::thread([] { pause(); }).detach();
    usleep(200000);
    const std::vector<Work> all = works();
    if (argc == 2 && strcmp(argv[1], "--list") == 0) {
        for (const Work &w : all)
            printf("%s %zu %s\n", w.name.c_str(), w.prepare(), w.unit.c_str());
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: vulm-count [--gate] --list | [--gate] REPS NAME...\n");
        return 2;
    }
    dl_iterate_phdr(printLibraryCode, NULL);
    fflush(stdout);
    const long reps = atol(argv[1]);
    for (int i = 2; i < argc; i++) {
        const Work *w = NULL;
        for (const Work &candidate : all)
            if (candidate.name == argv[i])
                w = &candidate;
        if (w == NULL) {
            fprintf(stderr, "vulm-count: no work named %s\n", argv[i]);
            return 2;
        }
        w->prepare();
        if (gate)
            w->once(); // first-call costs (symbol binding) stay out of the count
        vulm_count_begin();
        for (long r = reps; r > 0; r--)
            w->once();
        vulm_count_end();
    }
    return 0;
}
