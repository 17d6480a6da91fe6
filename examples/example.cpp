// A small client of libvulm-common: what a gateway does with a message.
#include <vulm/bitreader.h>
#include <vulm/bitset.h>
#include <vulm/string.h>
#include <vulm/vector.h>

#include <stdio.h>
#include <stdlib.h>

// Settings arrive as text and go back out formatted.
static void settings()
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
}

// A bit-packed sensor report: 4-bit type, 12-bit signed temperature in
// tenths of a degree, 1 flag per sensor slot.
static void report()
{
    const uint8_t frame[] = {0x53, 0xFE, 0x05};
    bitreader_t reader = {NULL, 0};
    bitreader_construct(&reader, frame, sizeof frame);
    unsigned type = (unsigned)bitreader_getUnsigned(&reader, 0, 4);
    long long tenths = (long long)bitreader_getSigned(&reader, 4, 12);
    printf("report type %u, temperature %lld.%lld C\n", type, tenths / 10, llabs(tenths % 10));

    bitset_t *seen = bitset_make(8);
    if (seen == NULL)
        return;
    for (uint32_t slot = 0; slot < 8; slot++)
        if (bitreader_getBit(&reader, 16 + slot))
            bitset_set_bit(seen, slot);
    printf("sensor slots reporting:");
    for (uint32_t slot = 0; slot < 8; slot++)
        if (bitset_get_bit(seen, slot))
            printf(" %u", (unsigned)slot);
    printf("\n");
    bitset_delete(&seen);
    bitreader_destruct(&reader);
}

// Pending replies kept in order, dropped by identity, then all freed.
static void pending()
{
    vector_t queue;
    vector_construct(&queue);
    for (int32_t id = 1; id <= 3; id++) {
        char *text = NULL;
        uint32_t size = 0;
        if (string_fromS32(id, "reply #", &text, &size) == STATUS_SUCCESS)
            vector_pushBack(&queue, text);
    }
    char *answered = (char *)vector_getElement(&queue, 1);
    vector_remove(&queue, answered);
    free(answered);
    for (uint32_t i = 0; i < vector_getSize(&queue); i++)
        printf("still pending: %s\n", (const char *)vector_getElement(&queue, i));
    vector_freeElements(&queue);
    vector_destruct(&queue);
}

int main()
{
    settings();
    report();
    pending();
    return 0;
}
