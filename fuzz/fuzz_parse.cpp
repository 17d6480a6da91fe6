// The five parsers against a model of C's base-0 syntax and the range rules.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "../tests/models.h"
#include "vulm/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    const char *t = text.c_str(); // ends at the first NUL of the input
    const model::Number n = model::parse(t);
    const uint64_t asLong = model::clampedBits(n, 8 * sizeof(long));
    const uint64_t asLongLong = model::clampedBits(n, 64);

    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    int64_t s64 = 0;
    bool ok8 = n.valid && asLong <= 0xFF, ok16 = n.valid && asLong <= 0xFFFF;
    bool ok32 = n.valid && asLongLong <= 0xFFFFFFFF;
    if ((string_toU8(t, &u8) == STATUS_SUCCESS) != ok8 || (ok8 && u8 != asLong))
        abort();
    if ((string_toU16(t, &u16) == STATUS_SUCCESS) != ok16 || (ok16 && u16 != asLong))
        abort();
    if ((string_toU32(t, &u32) == STATUS_SUCCESS) != ok32 || (ok32 && u32 != asLongLong))
        abort();
    if ((string_toS64(t, &s64) == STATUS_SUCCESS) != n.valid || (n.valid && uint64_t(s64) != asLongLong))
        abort();

    // string_toS32: a leading '-' negates the string_toU32 result of the rest.
    bool minus = t[0] == '-';
    const model::Number rest = model::parse(t + minus);
    uint64_t magnitude = model::clampedBits(rest, 64);
    bool restOk = rest.valid && magnitude <= 0xFFFFFFFF;
    int32_t s32 = 12345;
    status_t st = string_toS32(t, &s32);
    if (!restOk) {
        if (st != STATUS_INVALID_VALUE || s32 != 0)
            abort();
    } else if (magnitude > 0x7FFFFFFF) {
        if (st != STATUS_INVALID_VALUE || s32 != 12345)
            abort();
    } else if (st != STATUS_SUCCESS || s32 != (minus ? -int32_t(magnitude) : int32_t(magnitude))) {
        abort();
    }
    return 0;
}
