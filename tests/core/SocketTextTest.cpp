#include "net/core/SocketText.h"

#include <gtest/gtest.h>

TEST(SocketText, DottedAddresses) {
  for (const char* yes : {"1.2.3.4", " 1.2.3.4", "1.2.3.4 ", "  1.2.3.4   ", "0.0.0.0", "255.255.255.255",
                          "127.0.0.1", "001.002.003.004"})
    EXPECT_TRUE(IsDottedAddress(yes)) << '"' << yes << '"';
  for (const char* no : {"", "   ", "1.2.3", "1.2.3.4.5", "1.2.3.256", "256.1.1.1", "300.1.1.1", "1..2.3",
                         "1.2.3.", ".1.2.3", "1.2.3.4x", "1.2.3.4 x", "a.b.c.d", "1.2.3.99999999999999",
                         "1.2. 3.4", "localhost"})
    EXPECT_FALSE(IsDottedAddress(no)) << '"' << no << '"';
}

TEST(SocketText, LeadingNumbers) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"80", 80}, {"80abc", 80}, {"  443 ", 443}, {"", 0}, {"abc", 0}, {"-5", 0},
               {"65536", 65536}, {"99999999999999999999", 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(c.value, LeadingNumber(c.text)) << c.text;
}

TEST(SocketText, ErrorTexts) {
  EXPECT_EQ("Connection timed out", SocketErrorText(10060));
  EXPECT_EQ("Connection refused", SocketErrorText(10061));
  EXPECT_EQ("No Error", SocketErrorText(0));
  EXPECT_EQ("Host not found", SocketErrorText(11001));
  EXPECT_EQ("Can't send after socket shutdown", SocketErrorText(10058));
  for (int unknown : {12345, 10000, 10005, 10090, 11000, 11005, -1})
    EXPECT_EQ("Not a WinSock error", SocketErrorText(unknown)) << unknown;
}
