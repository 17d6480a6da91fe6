// A small client of libvulm-common: what a gateway does with a message.
#include <vulm/bitreader.h>
#include <vulm/bitset.h>
#include <vulm/country.h>
#include <vulm/crc16.h>
#include <vulm/gcd.h>
#include <vulm/lock_token.h>
#include <vulm/semaphore.h>
#include <vulm/string.h>
#include <vulm/vector.h>
#include <vulm/zigbee_type.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <thread>

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
    // Sign and magnitude apart: -5 tenths is "-0.5", which tenths / 10 (0) would lose.
    printf("report type %u, temperature %s%lld.%lld C\n", type, tenths < 0 ? "-" : "",
           llabs(tenths) / 10, llabs(tenths) % 10);

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

// A text frame "<country>;<attribute type>;<name>", validated, taken
// apart, then sent with its CRC-16/MODBUS appended low byte first.
static void frame()
{
    const char text[] = "DE;0x42;K\xC3\xBC" "che";
    uint32_t length = (uint32_t)strlen(text);
    if (!string_isUtf8(text, length)) {
        printf("frame text is not UTF-8\n");
        return;
    }
    char *country = string_getDelimitedStringPart(text, ';', 0);
    char *type = string_getDelimitedStringPart(text, ';', 1);
    char *name = string_getDelimitedStringPart(text, ';', 2);
    uint8_t id = 0;
    if (country != NULL && type != NULL && name != NULL && string_toU8(type, &id) == STATUS_SUCCESS)
        printf("country %s = %d, attribute type 0x%02X %s, name \"%s\" (%s)\n", country,
               (int)country_getNumeric(country), (unsigned)id,
               zigbeeType_isAttrTypeString(id) ? "is a string" : "is not a string", name,
               string_isAscii(name, (uint32_t)strlen(name)) ? "ASCII" : "UTF-8");
    free(country);
    free(type);
    free(name);

    uint8_t wire[sizeof text + 2];
    memcpy(wire, text, length);
    uint16_t crc = crc16_ansi(0xFFFF, wire, length);
    wire[length] = (uint8_t)crc;
    wire[length + 1] = (uint8_t)(crc >> 8);
    printf("frame crc %04X, receiver's residue %04X\n", (unsigned)crc,
           (unsigned)crc16_ansi(0xFFFF, wire, length + 2));
    printf("aspect ratio 1920:1080 = %d:%d\n", (int)(1920 / gcd(1920, 1080)), (int)(1080 / gcd(1920, 1080)));
}

// A producer hands work units to a consumer thread through a semaphore;
// the consumer gives up after a second without work.
static void workQueue()
{
    semaphore *units = semaphore_create();
    int consumed = 0;
    std::thread consumer([&] {
        const struct timespec oneSecond = {1, 0};
        while (semaphore_waitFor(units, &oneSecond))
            consumed++;
    });
    for (int i = 0; i < 5; i++)
        semaphore_post(units);
    consumer.join();
    semaphore_destroy(units);
    printf("consumer took %d work units, then timed out\n", consumed);
}

// A device object hands a token to a callback that runs on a worker thread.
// The callback touches the device only while its token's lock() is true;
// the device's destruction waits for a callback in progress and revokes the
// rest.
struct Device {
    int readings = 0;
    LockToken guard; // destroyed first: waits for callbacks holding a token
};

static void callbacks()
{
    auto device = std::make_unique<Device>();
    std::shared_ptr<LockToken::Token> late = device->guard.token();
    // The callback owns the only reference to its token, so dropping it
    // really releases the lock.
    std::thread worker([token = device->guard.token(), dev = device.get()]() mutable {
        if (token->lock())
            dev->readings++;
        token.reset(); // drop the token as soon as the work is done
    });
    worker.join();
    printf("device took %d reading(s) from a callback\n", device->readings);
    device.reset();
    printf("a callback after the device is gone: lock() says %s\n", late->lock() ? "true" : "false");
}

int main()
{
    workQueue();
    callbacks();
    frame();
    settings();
    report();
    pending();
    return 0;
}
