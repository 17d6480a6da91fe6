// Runs a fuzz target as a plain test program, on any platform and compiler:
// every file of the directories named (seeds and past findings), then each
// seed with one byte replaced by every other value, then a fixed number of
// inputs made from them by seeded random byte changes, the same on every
// run. A property that fails aborts the program.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

uint64_t state = 0x9E3779B97F4A7C15u;

uint32_t next(uint32_t bound) // xorshift64*, uniform enough for a bound
{
    state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
    return uint32_t((state * 0x2545F4914F6CDD1Du) >> 32) % bound;
}

// Each input in a block of its exact size, so that a read past it shows,
// and never at a null pointer (libFuzzer passes none, even for no bytes).
// The allocator refuses a size beyond any object's, which new[] of bytes
// leaves unchecked.
void run(const std::vector<uint8_t> &input)
{
    std::allocator<uint8_t> heap;
    uint8_t *exact = heap.allocate(input.size());
    std::copy(input.begin(), input.end(), exact);
    LLVMFuzzerTestOneInput(exact, input.size());
    heap.deallocate(exact, input.size());
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; i++) {
        std::vector<std::filesystem::path> files;
        if (!std::filesystem::is_directory(argv[i]))
            continue; // a target without past findings has no folder for them
        for (const auto &entry : std::filesystem::directory_iterator(argv[i]))
            if (entry.is_regular_file() && entry.path().filename() != "README")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto &f : files) {
            std::ifstream in(f, std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (seeds.empty()) {
        fprintf(stderr, "replay: no seed inputs\n");
        return 1;
    }
    size_t made = 0;
    for (const auto &s : seeds)
        run(s);
    // Every seed with each of its bytes replaced by every other value: both
    // sides of each range edge that a seed holds.
    for (const auto &s : seeds)
        for (size_t at = 0; at < s.size(); at++)
            for (int byte = 0; byte < 256; byte++)
                if (byte != s[at]) {
                    std::vector<uint8_t> in = s;
                    in[at] = uint8_t(byte);
                    run(in);
                    made++;
                }
    // Changes: overwrite, insert or drop a byte, half the time with a byte
    // taken from some seed (digits, prefixes, delimiters), else any byte.
    const int kMade = 50000;
    for (int n = 0; n < kMade; n++) {
        std::vector<uint8_t> in = seeds[next(uint32_t(seeds.size()))];
        for (uint32_t k = 1 + next(4); k > 0; k--) {
            const auto &donor = seeds[next(uint32_t(seeds.size()))];
            uint8_t byte = next(2) && !donor.empty() ? donor[next(uint32_t(donor.size()))] : uint8_t(next(256));
            uint32_t at = next(uint32_t(in.size()) + 1);
            switch (next(3)) {
            case 0:
                if (at < in.size()) {
                    in[at] = byte;
                    break;
                }
                [[fallthrough]];
            case 1:
                in.insert(in.begin() + at, byte);
                break;
            default:
                if (at < in.size())
                    in.erase(in.begin() + at);
            }
        }
        run(in);
        made++;
    }
    printf("replay: %zu seeds and %zu made inputs passed\n", seeds.size(), made);
    return 0;
}
