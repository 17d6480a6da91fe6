// ZigBee Cluster Library attribute type classes, by identifier range.
#include "vulm/zigbee_type.h"

extern "C" {

bool zigbeeType_isAttrTypeString(uint8_t type)
{
    return type >= 0x41 && type <= 0x44;
}

bool zigbeeType_isAttrTypeSimple(uint8_t type)
{
    if (type > 0x31)
        return type >= 0xE0 && type <= 0xE2;
    if (type >= 0x18)
        return true;
    return type >= 0x08 && type <= 0x10;
}

} // extern "C"
