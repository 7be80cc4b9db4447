#include <gtest/gtest.h>

#include <string>

#include "watcher/core/WatchOutcome.h"

TEST(WatchOutcome, LongTipsAreCutTo63) {
  const std::string address(80, '9');
  const std::string tip = ViewOf(TOutcome::LookupAddress, true, address, false).Tip;
  EXPECT_EQ(63u, tip.size());
  EXPECT_EQ("Orvandel (" + address.substr(0, 53), tip);
}
