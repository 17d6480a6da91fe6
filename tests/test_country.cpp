#include "vulm/country.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

// Only the first two characters count, exactly as written.
TEST(Country, Alpha2ToNumericComparesTwoCharacters)
{
    const struct {
        const char *alpha2;
        int32_t numeric;
    } cases[] = {{"GBR", 826}, {"de", 0}, {"D", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(country_getNumeric(c.alpha2), c.numeric) << c.alpha2;
    EXPECT_EQ(country_getNumeric(NULL), 0);
}

// Outside reference: Debian's iso-codes database of ISO 3166-1.
std::map<int32_t, std::string> isoCodes()
{
    std::ifstream in("/usr/share/iso-codes/json/iso_3166-1.json");
    std::stringstream text;
    text << in.rdbuf();
    std::string json = text.str();
    std::map<int32_t, std::string> codes;
    const std::regex entry("\\{[^{}]*\\}"), alpha2("\"alpha_2\": \"([A-Z]{2})\""),
        numeric("\"numeric\": \"([0-9]{3})\"");
    for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it) {
        std::string e = it->str();
        std::smatch a, n;
        if (std::regex_search(e, a, alpha2) && std::regex_search(e, n, numeric))
            codes[std::stoi(n[1])] = a[1];
    }
    return codes;
}

TEST(Country, AgreesWithIsoCodesDatabaseBothWays)
{
    std::map<int32_t, std::string> codes = isoCodes();
    ASSERT_EQ(codes.size(), 249u) << "iso-codes (Debian package) is needed as the reference";
    for (const auto &[numeric, alpha2] : codes) {
        const char *got = country_getAlpha2(numeric);
        ASSERT_NE(got, nullptr) << numeric;
        EXPECT_EQ(std::string(got), alpha2) << numeric;
        EXPECT_EQ(country_getNumeric(alpha2.c_str()), numeric) << alpha2;
    }
    int32_t known = 0;
    for (int32_t n = -1000; n < 1100; n++)
        known += country_getAlpha2(n) != NULL;
    EXPECT_EQ(known, 249) << "no code outside the database";
}

} // namespace
