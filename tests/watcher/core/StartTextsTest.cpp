// The texts the watcher reads at start: its command line, the user name,
// and the tip it hands to the tray.

#include <gtest/gtest.h>

#include <cstring>

#include "watcher/core/CommandLine.h"
#include "watcher/core/SystemUser.h"
#include "watcher/core/TrayTip.h"

TEST(StartTexts, OnlyExactlyHideAsksForTheHiddenStart) {
  const struct {
    const char* line;
    bool hidden;
  } cases[] = {
      {"Orvandel.exe hide", true},
      {"C:\\WINDOWS\\Orvandel.exe \"hide\"", true},  // the Run value's form
      {"\"C:\\Program Files\\Orvandel\\Orvandel.exe\" hide", true},
      {"Orvandel.exe   hide  more", true},
      {"Orvandel.exe HIDE", false},
      {"Orvandel.exe Hide", false},
      {"Orvandel.exe hidden", false},
      {"Orvandel.exe", false},
      {"\"C:\\Program Files\\Orvandel\\hide\"", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.hidden, AsksForHiddenStart(c.line)) << c.line;
  EXPECT_EQ("C:\\Program Files\\x.exe", ParamStr("\"C:\\Program Files\\x.exe\" a", 0));
  EXPECT_EQ("ab c", ParamStr("x a\"b c\"", 1));
  EXPECT_EQ("", ParamStr("x a", 2));
}

TEST(StartTexts, SystemUserTrimmedAndInAnyCase) {
  const struct {
    const char* name;
    bool system;
  } cases[] = {
      {"SYSTEM", true}, {"system", true}, {"  System\t", true}, {"\x01SYSTEM\r\n", true},
      {"SYSTEMS", false}, {"SYS TEM", false}, {"", false}, {"Administrator", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.system, IsSystemUserName(c.name)) << c.name;
}

TEST(StartTexts, TrayTipKeepsAtMost63Characters) {
  for (size_t length : {0u, 1u, 62u, 63u, 64u, 65u, 500u}) {
    char buffer[kTrayTipRoom];
    std::memset(buffer, 'Z', sizeof buffer);
    const std::string tip(length, 'a');
    CopyTrayTip(tip, buffer);
    const size_t kept = length < 63 ? length : 63;
    EXPECT_EQ(std::string(kept, 'a'), std::string(buffer)) << length;
    for (size_t i = kept; i < kTrayTipRoom; ++i) EXPECT_EQ('\0', buffer[i]) << length << " at " << i;
  }
}
