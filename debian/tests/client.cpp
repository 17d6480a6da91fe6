// A client of the installed packages (debian/tests/client and
// scripts/installed build it against libvulm-common-dev): results that
// must come out exactly so, from flat functions and from both classes.
// Prints each; exits 1 if any is wrong.
#include <vulm/country.h>
#include <vulm/crc16.h>
#include <vulm/gcd.h>
#include <vulm/lock_token.h>
#include <vulm/semaphore.h>
#include <vulm/string.h>

#include <stdio.h>
#include <string.h>

#include <memory>

static int wrong;

static void check(bool ok, const char *what)
{
    printf("%s %s\n", ok ? "ok:   " : "WRONG:", what);
    wrong += !ok;
}

int main()
{
    const uint8_t digits[] = "123456789";
    uint16_t port = 0;
    check(string_toU16("0x1F90", &port) == STATUS_SUCCESS && port == 8080, "string_toU16(\"0x1F90\") is 8080");
    check(string_isUtf8("caf\xc3\xa9", 5) && !string_isUtf8("\xed\xa0\x80", 3), "UTF-8: an accented word yes, a surrogate no");
    check(crc16_ccitt(0, digits, 9) == 0x31C3 && crc16_ansi(0, digits, 9) == 0xBB3D, "CRC-16 XMODEM 31C3, ARC BB3D");
    check(strcmp(country_getAlpha2(276), "DE") == 0 && country_getNumeric("FR") == 250, "country 276 is DE, FR is 250");
    check(gcd(1920, 1080) == 120, "gcd(1920, 1080) is 120");
    semaphore units(1, NULL);
    check(units.tryWait() && !units.tryWait(), "a semaphore of one unit gives one");
    auto owner = std::make_unique<LockToken>();
    std::shared_ptr<LockToken::Token> later = owner->token();
    check(owner->token()->lock(), "a token locks while its owner lives");
    owner.reset();
    check(!later->lock(), "and not once the owner is gone");
    return wrong != 0;
}
