#include <gtest/gtest.h>

#include <string>

#include "watcher/core/WatchOutcome.h"

TEST(WatchOutcome, EveryOutcomeInBothLanguages) {
  const struct {
    TOutcome outcome;
    bool intranet;
    const char* location;
    int image;
    TWatchState state;
    const char* english;
    const char* german;
  } cases[] = {
      {TOutcome::Home, true, "Home", 2, TWatchState::Home, "Orvandel (Intranet)", "Orvandel (Intranet)"},
      {TOutcome::PageAddress, true, "Web", 3, TWatchState::Web, "Orvandel (80.1.2.3)", "Orvandel (80.1.2.3)"},
      {TOutcome::PageAddress, false, "OnlyWeb", 3, TWatchState::Web, "Orvandel (80.1.2.3)", "Orvandel (80.1.2.3)"},
      {TOutcome::LookupAddress, true, "Web", 3, TWatchState::Web, "Orvandel (80.1.2.3)", "Orvandel (80.1.2.3)"},
      {TOutcome::LookupAddress, false, "WebOnly", 3, TWatchState::Web, "Orvandel (80.1.2.3)", "Orvandel (80.1.2.3)"},
      {TOutcome::NoPageText, false, "Error", 4, TWatchState::Error, "Orvandel (Error)", "Orvandel (Fehler)"},
      {TOutcome::InvalidAddress, true, "Error IP", 4, TWatchState::Error, "Orvandel (Error - IP not valid)",
       "Orvandel (Fehler - ungültige IP)"},
      {TOutcome::LookupFailed, true, "Error", 4, TWatchState::Error, "Orvandel (Error - IP not responding)",
       "Orvandel (Fehler - IP antwortet nicht)"},
  };
  for (const auto& c : cases) {
    for (bool german : {false, true}) {
      const TOutcomeView view = ViewOf(c.outcome, c.intranet, "80.1.2.3", german);
      EXPECT_EQ(c.location, view.Location);
      EXPECT_EQ(c.image, view.Image);
      EXPECT_EQ(c.state, view.State);
      EXPECT_EQ(german ? c.german : c.english, view.Tip);
    }
  }
}

TEST(WatchOutcome, LongTipsAreCutTo63) {
  const std::string address(80, '9');
  const std::string tip = ViewOf(TOutcome::LookupAddress, true, address, false).Tip;
  EXPECT_EQ(63u, tip.size());
  EXPECT_EQ("Orvandel (" + address.substr(0, 53), tip);
}
