/*
 * CRC-16 over byte buffers, continued from a CRC the caller passes in, so a
 * message may be checksummed in one call or piece by piece. No initial
 * value, reflection of the result or final XOR is applied: the caller picks
 * the start and XORs the result as its protocol asks. With these starts:
 *   crc16_ccitt from 0x0000: CRC-16/XMODEM, from 0xFFFF: CRC-16/IBM-3740
 *     (CCITT-FALSE), from 0x1D0F: CRC-16/SPI-FUJITSU (AUG-CCITT);
 *   crc16_ansi from 0x0000: CRC-16/ARC, from 0xFFFF: CRC-16/MODBUS.
 * A null pointer or a count of 0 returns `crc` unchanged. Both keep no
 * state and may be called from any thread.
 */
#ifndef VULM_CRC16_H
#define VULM_CRC16_H

#include <stdint.h>

#include "api.h"

VULM_BEGIN_C

/* Polynomial 0x1021, most significant bit first; shift-and-XOR, no table. */
VULM_API uint16_t crc16_ccitt(uint16_t crc, const uint8_t *data, uint32_t count);
/* Polynomial 0x8005 reflected (0xA001), least significant bit first;
   one look-up in a constant 256-entry table per byte. */
VULM_API uint16_t crc16_ansi(uint16_t crc, const uint8_t *data, uint32_t count);

VULM_END_C

#endif
