/* A C client of libvulm-common: the flat interface, from C99. */
#include <vulm/country.h>
#include <vulm/crc16.h>
#include <vulm/gcd.h>
#include <vulm/semaphore.h>
#include <vulm/string.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(void)
{
    const char *text = "0x1F90";
    uint32_t port = 0;
    status_t status = string_toU32(text, &port);
    printf("%s -> status %d, %u\n", text, (int)status, (unsigned)port);

    const uint8_t frame[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    printf("crc16 ccitt %04X, ansi %04X\n", (unsigned)crc16_ccitt(0xFFFF, frame, sizeof frame),
           (unsigned)crc16_ansi(0xFFFF, frame, sizeof frame));
    printf("gcd(1920, 1080) = %d, DE = %d, 756 = %s\n", (int)gcd(1920, 1080), (int)country_getNumeric("DE"),
           country_getAlpha2(756));

    /* The semaphore: C++ inside, created and used from C. */
    semaphore *units = semaphore_create();
    semaphore_post(units);
    const struct timespec none = {0, 0};
    int first = semaphore_waitFor(units, &none);
    int second = semaphore_wait(units, 0);
    semaphore_destroy(units);
    printf("semaphore: one unit posted, taken %d then %d\n", first, second);

    char *field = string_getDelimitedStringPart("a;bc;d", ';', 1);
    printf("field 1 of a;bc;d: %s, %s\n", field != NULL ? field : "(none)", string_false);
    free(field);
    return 0;
}
