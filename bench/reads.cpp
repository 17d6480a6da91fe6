// Copies each file named into a heap block of exactly its size, then runs
// string_isUtf8 once over each block and prints "ADDRESS LENGTH RESULT".
// bench/reads.py runs it under valgrind's lackey, which logs every load, to
// show which bytes the walk loads: it counts the loads after the one of
// `start`, whose address comes first ("start ADDRESS"), so that earlier
// uses of the same memory (file buffers) stay out of the count.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "vulm/string.h"

volatile char start;

int main(int argc, char **argv)
{
    std::vector<char *> copies;
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; i++) {
        std::ifstream file(argv[i], std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        char *copy = (char *)malloc(bytes.size() + 1); // + 1: malloc(0) may give NULL
        if (!file || copy == NULL)
            return 2;
        memcpy(copy, bytes.data(), bytes.size());
        copies.push_back(copy);
        sizes.push_back(bytes.size());
    }
    printf("start %p\n", (void *)&start);
    if (start != 0)
        return 2;
    for (size_t i = 0; i < copies.size(); i++) {
        const bool valid = string_isUtf8(copies[i], uint32_t(sizes[i]));
        printf("%p %zu %d\n", (void *)copies[i], sizes[i], valid);
    }
    return 0;
}
