#include <gtest/gtest.h>

#include "watcher/core/IpAddress.h"

TEST(CanonicalAddress, AcceptsAddressesAndWritesThemPlainly) {
  const struct {
    const char* text;
    const char* dotted;
  } cases[] = {
      {"80.1.2.3", "80.1.2.3"},
      {"10.0.0.1", "10.0.0.1"},
      {"80.128.0.5", "80.128.0.5"},
      {"255.255.255.255", "255.255.255.255"},
      {" 1.2.3.4", "1.2.3.4"},
      {"80.1.2.3\r\n", "80.1.2.3"},
      {"\t 80.1.2.3 \r\n", "80.1.2.3"},
      {"$50.1.2.3", "80.1.2.3"},
      {"0x50.x1.+2.003", "80.1.2.3"},
      {"1. 2.3.4", "1.2.3.4"},
  };
  for (const auto& c : cases) {
    std::string dotted = "unchanged";
    EXPECT_TRUE(CanonicalAddress(c.text, dotted)) << c.text;
    EXPECT_EQ(c.dotted, dotted) << c.text;
  }
}

TEST(CanonicalAddress, RefusesWhatIsNoAddress) {
  for (const char* text : {
           "",               // nothing
           "1.2.3.4.5",      // the fourth part is "4.5"
           "0.1.2.3",        // a first part of 0
           "1.2.3",          // only three numbers
           "1.2.3.",         // nothing after the last dot
           "300.1.2.3",      // above 255
           "1.2.3.256",      //
           "-1.2.3.4",       // a sign does not make a negative part valid
           "1.-0x1.3.4",     //
           "$FFFFFFFF.1.2.3",  // two's complement reads as -1
           "1.2 .3.4",       // nothing may follow the digits
           "1.2.3.4 x",      //
           "a.b.c.d",        //
           "80.1.2.3\r\n80.1.2.4",  // two lines
       }) {
    std::string dotted = "unchanged";
    EXPECT_FALSE(CanonicalAddress(text, dotted)) << text;
    EXPECT_EQ("unchanged", dotted) << text;
  }
  std::string dotted;
  EXPECT_FALSE(CanonicalAddress(std::string("80.1.2.3\0", 9), dotted)) << "a zero byte after the address";
}
