// A small client of libvulm-common: parses settings given as text and
// formats them back.
#include <vulm/string.h>

#include <stdio.h>
#include <stdlib.h>

int main()
{
    const char *inputs[] = {"8080", "0x1F90", "70000", "port"};
    for (const char *text : inputs) {
        uint16_t port = 0;
        if (string_toU16(text, &port) != STATUS_SUCCESS) {
            printf("%-8s rejected as a port number\n", text);
            continue;
        }
        char *line = NULL;
        uint32_t size = 0;
        if (string_fromU16(port, "port=", &line, &size) == STATUS_SUCCESS) {
            printf("%-8s -> %s (%u bytes)\n", text, line, (unsigned)size);
            free(line);
        }
    }
    int32_t offset = 0;
    char *flag = NULL;
    uint32_t size = 0;
    if (string_toS32("-2147483647", &offset) == STATUS_SUCCESS &&
        string_fromBool(offset < 0, "negative offset: ", &flag, &size) == STATUS_SUCCESS) {
        printf("%s\n", flag);
        free(flag);
    }
    return 0;
}
