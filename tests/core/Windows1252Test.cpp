#include "setup/core/Windows1252.h"

#include <gtest/gtest.h>

TEST(Windows1252, FromUtf8OrWhyNot) {
  const struct {
    const char* utf8;
    const char* text;      // null when refused
    const char* problem;   // part of the reason
  } cases[] = {
      {"", "", nullptr},
      {"plain.txt", "plain.txt", nullptr},
      {"caf\xC3\xA9.txt", "caf\xE9.txt", nullptr},
      {"\xC3\x9F\xC3\xBF\xC2\xA0", "\xDF\xFF\xA0", nullptr},
      {"\xE2\x82\xAC \xC5\xA0 \xE2\x84\xA2 \xC5\xB8", "\x80 \x8A \x99 \x9F", nullptr},
      {"\xC5\x81\xC3\xB3""d\xC5\xBA", nullptr, "\"\xC5\x81\" has no place"},
      {"\xF0\x9F\x98\x80", nullptr, "has no place"},
      {"\xC2\x81", nullptr, "has no place"},  // U+0081, no character of the page
      {"caf\xE9", nullptr, "not UTF-8 text (byte 4)"},
      {"\xC0\xAF", nullptr, "not UTF-8"},       // an overlong "/"
      {"\xED\xA0\x80", nullptr, "not UTF-8"},   // a surrogate
      {"\xE2\x82", nullptr, "not UTF-8"},       // cut short
  };
  for (const auto& c : cases) {
    const Windows1252Text converted = Windows1252FromUtf8(c.utf8);
    if (c.text) {
      EXPECT_EQ(c.text, converted.Text) << c.utf8;
      EXPECT_EQ("", converted.Problem) << c.utf8;
    } else {
      EXPECT_EQ("", converted.Text) << c.utf8;
      EXPECT_NE(std::string::npos, converted.Problem.find(c.problem)) << c.utf8 << ": " << converted.Problem;
    }
  }
}
