#include "common/core/Country.h"

#include <gtest/gtest.h>

TEST(Country, GermanOnlyForTheFourCountries) {
  const struct {
    int code;
    bool german;
  } cases[] = {{49, true}, {43, true}, {41, true}, {352, true}, {423, false}, {32, false},
               {1, false}, {0, false},  {-49, false}, {490, false}, {44, false}, {35, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.german, IsGermanCountry(c.code)) << c.code;
    EXPECT_EQ(c.german ? "de" : "en", TextForCountry(c.code, "en", "de")) << c.code;
  }
}

TEST(Country, SameTextInEveryCountry) {
  for (int code : {1, 32, 41, 43, 49, 352, 423}) EXPECT_EQ("OK", TextForCountry(code, "OK", "OK"));
}

TEST(Country, ParsesOnlyDecimalDigits) {
  const struct {
    const char* text;
    bool ok;
    int code;
  } cases[] = {{"49", true, 49}, {"1", true, 1},    {"352", true, 352}, {"007", true, 7},
               {"", false, 0},   {"4a", false, 0},  {" 49", false, 0},  {"49 ", false, 0},
               {"-1", false, 0}, {"+49", false, 0}, {"0x31", false, 0}, {"9999999999", false, 0}};
  for (const auto& c : cases) {
    int code = -12345;
    EXPECT_EQ(c.ok, ParseCountryCode(c.text, code)) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(c.code, code) << c.text;
    }
  }
}
