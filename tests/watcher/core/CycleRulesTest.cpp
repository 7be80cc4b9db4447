#include <gtest/gtest.h>

#include <string>

#include "watcher/core/CycleRules.h"

TEST(CycleRules, PingAttemptsAndTheHostNameInTheIntranetField) {
  const struct {
    int attempt, replies;
    const char* field;
    const char* answered;
    TPingStep step;
  } cases[] = {
      {0, 0, "10.0.0.7", "", TPingStep::Again},
      {2, 0, "10.0.0.7", "", TPingStep::Again},
      {3, 0, "10.0.0.7", "", TPingStep::NoAnswer},  // four attempts
      {0, 2, "10.0.0.7", "10.0.0.7", TPingStep::Again},  // only exactly one reply answers
      {3, 2, "10.0.0.7", "10.0.0.7", TPingStep::NoAnswer},
      {0, 1, "10.0.0.7", "10.0.0.7", TPingStep::Home},
      {3, 1, "10.0.0.7", "10.0.0.7", TPingStep::Home},
      {0, 1, "server", "192.168.1.10", TPingStep::Rename},  // a name becomes its address
      {1, 1, "010.0.0.7", "10.0.0.7", TPingStep::Rename},  // compared exactly
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.step, AfterPing(c.attempt, c.replies, c.field, c.answered)) << c.attempt << " " << c.field;
}

TEST(CycleRules, PageOutcomes) {
  const struct {
    const char* page;
    const char* before;
    const char* after;
    TOutcome outcome;
    const char* found;
  } cases[] = {
      {"", "", "", TOutcome::NoPageText, ""},
      {"IP: </b>\r\n", "IP: ", "</b>", TOutcome::NoPageText, ""},  // nothing between the markers
      {"<b>IP: 80.1.2.3</b>\r\n", "IP: ", "</b>", TOutcome::PageAddress, "80.1.2.3"},
      {"IP: $50.1.2.3 </b>\r\n", "IP:", "</b>", TOutcome::PageAddress, "80.1.2.3"},  // the canonical form
      {"80.1.2.3\r\n", "", "", TOutcome::PageAddress, "80.1.2.3"},
      {"IP: 10.0.0 </b>\r\n", "IP:", "</b>", TOutcome::InvalidAddress, ""},
      {"<html>\r\n", "", "", TOutcome::InvalidAddress, ""},
  };
  for (const auto& c : cases) {
    TAddress found;
    EXPECT_EQ(c.outcome, PageOutcome(c.page, c.before, c.after, found)) << c.page;
    EXPECT_EQ(c.found, found.Text) << c.page;
    EXPECT_EQ(c.found, found.Dotted) << c.page;
  }
}

TEST(CycleRules, TheAddressOfAnOutcome) {
  const TAddress found = ReadAddress("80.1.2.3"), published = ReadAddress("80.1.2.4"), none;
  const struct {
    TOutcome outcome;
    const TAddress& published;
    bool intranetCheck;
    const char* field;
    const char* text;
    const char* dotted;
  } cases[] = {
      {TOutcome::Home, published, true, "server", "80.1.2.3", "80.1.2.3"},
      {TOutcome::PageAddress, published, false, "", "80.1.2.3", "80.1.2.3"},
      {TOutcome::LookupAddress, none, true, "10.0.0.7", "80.1.2.3", "80.1.2.3"},
      // An error keeps the published address, else takes the intranet
      // field while its check is on, else nothing.
      {TOutcome::NoPageText, published, true, "10.0.0.7", "80.1.2.4", "80.1.2.4"},
      {TOutcome::InvalidAddress, none, true, "10.0.0.7", "10.0.0.7", "10.0.0.7"},
      {TOutcome::NoPageText, none, true, "server", "server", ""},  // a name: no hosts line
      {TOutcome::InvalidAddress, none, false, "10.0.0.7", "", ""},
      // A failed lookup keeps the published address alone.
      {TOutcome::LookupFailed, published, true, "10.0.0.7", "80.1.2.4", "80.1.2.4"},
      {TOutcome::LookupFailed, none, true, "10.0.0.7", "", ""},
  };
  for (const auto& c : cases) {
    const TAddress address = OutcomeAddress(c.outcome, found, c.published, c.intranetCheck, c.field);
    EXPECT_EQ(c.text, address.Text) << static_cast<int>(c.outcome) << " " << c.field;
    EXPECT_EQ(c.dotted, address.Dotted) << static_cast<int>(c.outcome) << " " << c.field;
  }
}
