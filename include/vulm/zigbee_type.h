/*
 * Classes of ZigBee Cluster Library attribute data type identifiers.
 * Pure predicates; any thread.
 */
#ifndef VULM_ZIGBEE_TYPE_H
#define VULM_ZIGBEE_TYPE_H

#include <stdbool.h>
#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

/* True for the four string types: 0x41 octet string, 0x42 character
   string, 0x43 long octet string, 0x44 long character string. */
VULM_API bool zigbeeType_isAttrTypeString(uint8_t type);
/* True for general data and Boolean (0x08..0x10), bitmaps, unsigned and
   signed integers and enumerations (0x18..0x31), and time of day, date and
   UTC time (0xE0..0xE2). */
VULM_API bool zigbeeType_isAttrTypeSimple(uint8_t type);

VULM_END_C

#endif
