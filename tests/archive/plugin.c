/* A C plugin linked with the static archive: its copy's string_false, or
   NULL when the library answers wrongly inside it. */
#include <vulm/crc16.h>
#include <vulm/string.h>

__attribute__((visibility("default"))) const void *plugin_copy(void)
{
    uint32_t value = 0;
    const uint8_t digits[] = "123456789";
    if (string_toU32("0x2A", &value) != STATUS_SUCCESS || value != 42 || crc16_ansi(0, digits, 9) != 0xBB3D)
        return 0;
    return string_false;
}
