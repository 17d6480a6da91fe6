#include "vulm/crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "models.h"

namespace {

using model::crcAnsi;
using model::crcCcitt;

using Crc = uint16_t (*)(uint16_t, const uint8_t *, uint32_t);

const uint8_t kCheck[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(Crc16, PublishedParametrisations)
{
    struct {
        Crc fn;
        uint16_t init, xorOut, check;
        const char *name;
    } cases[] = {
        {crc16_ccitt, 0x0000, 0, 0x31C3, "XMODEM"},
        {crc16_ccitt, 0xFFFF, 0, 0x29B1, "IBM-3740"},
        {crc16_ccitt, 0x1D0F, 0, 0xE5CC, "SPI-FUJITSU"},
        {crc16_ansi, 0x0000, 0, 0xBB3D, "ARC"},
        {crc16_ansi, 0xFFFF, 0, 0x4B37, "MODBUS"},
        {crc16_ansi, 0xFFFF, 0xFFFF, 0xB4C8, "USB"},
        {crc16_ansi, 0x0000, 0xFFFF, 0x44C2, "MAXIM-DOW"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.fn(c.init, kCheck, sizeof kCheck) ^ c.xorOut, c.check) << c.name;
}

TEST(Crc16, SingleBytesAndEmptyInput)
{
    const uint8_t one = 0x01, zero = 0x00;
    EXPECT_EQ(crc16_ccitt(0x0000, &one, 1), 0x1021);
    EXPECT_EQ(crc16_ccitt(0xFFFF, &zero, 1), 0xE1F0);
    EXPECT_EQ(crc16_ansi(0x0000, &one, 1), 0xC0C1);
    EXPECT_EQ(crc16_ansi(0xFFFF, &zero, 1), 0x40BF);
    for (Crc fn : {crc16_ccitt, crc16_ansi}) {
        EXPECT_EQ(fn(0x0000, &zero, 1), 0x0000);
        EXPECT_EQ(fn(0x1234, NULL, 10), 0x1234);
        EXPECT_EQ(fn(0x1234, kCheck, 0), 0x1234);
    }
}

TEST(Crc16, TableEntriesMatchTheirRule)
{
    // Entry i of the table is the CRC of the single byte i from 0.
    const uint16_t known[] = {0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241};
    for (unsigned i = 0; i < 8; i++) {
        uint8_t b = uint8_t(i);
        EXPECT_EQ(crc16_ansi(0, &b, 1), known[i]);
    }
    uint8_t last = 0xFF;
    EXPECT_EQ(crc16_ansi(0, &last, 1), 0x4040);
    for (unsigned i = 0; i < 256; i++) {
        uint8_t b = uint8_t(i);
        EXPECT_EQ(crc16_ansi(0, &b, 1), crcAnsi(0, &b, 1)) << i;
    }
}

TEST(Crc16, RandomMessagesAgreeWithBitwiseFormPiecewiseAndLeaveZeroResidue)
{
    std::mt19937 rng(3);
    for (int i = 0; i < 500; i++) {
        std::vector<uint8_t> msg(rng() % 300);
        for (uint8_t &b : msg)
            b = uint8_t(rng());
        uint16_t init = uint16_t(rng());
        uint32_t n = uint32_t(msg.size());
        uint32_t split = n ? rng() % (n + 1) : 0;

        uint16_t ccitt = crc16_ccitt(init, msg.data(), n);
        uint16_t ansi = crc16_ansi(init, msg.data(), n);
        ASSERT_EQ(ccitt, crcCcitt(init, msg.data(), n));
        ASSERT_EQ(ansi, crcAnsi(init, msg.data(), n));
        ASSERT_EQ(crc16_ccitt(crc16_ccitt(init, msg.data(), split), msg.data() + split, n - split), ccitt);
        ASSERT_EQ(crc16_ansi(crc16_ansi(init, msg.data(), split), msg.data() + split, n - split), ansi);

        std::vector<uint8_t> withCcitt(msg), withAnsi(msg);
        withCcitt.push_back(uint8_t(ccitt >> 8)); // high byte first
        withCcitt.push_back(uint8_t(ccitt));
        withAnsi.push_back(uint8_t(ansi)); // low byte first
        withAnsi.push_back(uint8_t(ansi >> 8));
        ASSERT_EQ(crc16_ccitt(init, withCcitt.data(), n + 2), 0);
        ASSERT_EQ(crc16_ansi(init, withAnsi.data(), n + 2), 0);
    }
}

} // namespace
