// string_getDelimitedStringPart against a splitting model.
#include <stdlib.h>

#include <string>

#include "../tests/models.h"
#include "vulm/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    char delimiter = char(data[0]);
    uint32_t index = data[1] < 0xF0 ? data[1] % 16 : 0xFFFFFF00u | data[1];
    std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
    text = text.c_str(); // up to the first NUL
    char *field = string_getDelimitedStringPart(text.c_str(), delimiter, index);
    if (field == NULL || model::field(text, delimiter, index) != field)
        abort();
    free(field);
    return 0;
}
