#include "net/core/EchoText.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(EchoText, RequestDataBySize) {
  EXPECT_EQ(45u, std::strlen(kEchoText));
  EXPECT_EQ("", EchoRequestData(0));
  EXPECT_EQ("", EchoRequestData(-1));
  EXPECT_EQ(std::string(kEchoText, 10), EchoRequestData(10));
  EXPECT_EQ(std::string(kEchoText) + std::string(11, ' '), EchoRequestData(56));
  EXPECT_EQ(std::string(kEchoText), EchoRequestData(45));
  for (char c : std::string(kEchoText)) EXPECT_TRUE(c >= 32 && c < 127) << "plain printable ASCII";
}
