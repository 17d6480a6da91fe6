// string_isAscii and string_isUtf8 against a code-point decoder. The input
// is libFuzzer's exactly sized heap copy, so a read past it is reported.
#include <stdlib.h>

#include "../tests/models.h"
#include "vulm/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    if (string_isUtf8(text, uint32_t(size)) != model::isUtf8(data, size))
        abort();
    if (string_isAscii(text, uint32_t(size)) != model::isAscii(data, size))
        abort();
    return 0;
}
