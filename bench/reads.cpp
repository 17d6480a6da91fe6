// Copies each file named into a heap block of exactly its size, then runs
// string_isUtf8 once over each block and prints "ADDRESS LENGTH RESULT".
// bench/reads.py runs it under valgrind's lackey, which logs every load, to
// show which bytes each walk loads, and that it loads nothing in a margin
// around its block (where the neighbouring blocks lie): a load of `start`,
// whose address comes first ("start ADDRESS"), marks where each walk
// begins, so that reads.py counts each walk's loads alone.
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "vulm/string.h"

volatile char start;
const int kMaxFiles = 4096;
char *copies[kMaxFiles];
size_t sizes[kMaxFiles];

int main(int argc, char **argv)
{
    printf("start %p\n", (void *)&start);
    if (argc > kMaxFiles)
        return 2;
    for (int i = 1; i < argc; i++) {
        std::ifstream file(argv[i], std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file)
            return 2;
        copies[i] = new char[bytes.size()]; // not null, even for no bytes
        sizes[i] = bytes.size();
        memcpy(copies[i], bytes.data(), bytes.size());
    }
    for (int i = 1; i < argc; i++) {
        if (start != 0) // marks in the trace where this walk begins
            return 2;
        const bool valid = string_isUtf8(copies[i], uint32_t(sizes[i]));
        printf("%p %zu %d\n", (void *)copies[i], sizes[i], valid);
    }
    return 0;
}
