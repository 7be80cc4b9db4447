// Lookups of the static entry that end late or never, against the name
// server of tests/netns/unresolvable.sh (it sets the environment these
// cases read): one name it never answers, one whose answer it holds until
// it is asked for a third, and its log of the questions.

#include <winsock2.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "tests/watcher/CycleFixture.h"
#include "watcher/SettingsKeys.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The different lookups of Name that reached the name server (a resend
// of the resolver keeps its question's number).
size_t LookupsOf(const std::string& name) {
  std::ifstream log(Environment("ORV_DNS_LOG"));
  std::set<std::string> ids;
  for (std::string line; std::getline(log, line);)
    if (line.compare(0, 6 + name.size() + 1, "query " + name + " ") == 0) ids.insert(line);
  return ids.size();
}

class WatcherLookup : public WatcherCycle {
protected:
  void SetUp() override {
    if (Environment("ORV_DNS_LOG").empty()) GTEST_SKIP() << "needs the name server of tests/netns/unresolvable.sh";
    WatcherCycle::SetUp();
  }
  void StaticOptions(const std::string& entry) {
    PageOptions(server->Url());
    SetDword(kSettingsKey, "FromFile", 0);
    SetDword(kSettingsKey, "FromStatic", 1);
    SetString(kSettingsKey, "StaticIP", entry);
  }
};

}  // namespace

TEST_F(WatcherLookup, AnAbandonedLookupChangesNothing) {
  const std::string held = Environment("ORV_HELD_NAME");
  const size_t before = LookupsOf(held);
  server->SetPage("80.1.2.3");
  StaticOptions(held);
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(PumpUntil([&] { return LookupsOf(held) > before; }, 30000)) << "the lookup is under way";

  // The user takes the page instead while the lookup waits.
  ::PostMessageA(Settings(), kTrayCallbackMessage, kTrayIconID, WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  Click(Control(idRadioButton1));
  ASSERT_TRUE(PumpUntil([&] { return IsChecked(Control(idRadioButton1)); }));
  Click(Control(idBitBtn1));
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
  ASSERT_TRUE(WaitForLocation("OnlyWeb"));

  // Now the old lookup ends, with an address; the page's cycles go on.
  WSADATA data;
  ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
  EXPECT_EQ(nullptr, ::gethostbyname(Environment("ORV_RELEASE_NAME").c_str()));
  ::WSACleanup();
  const size_t modifies = tray->Count(NIM_MODIFY);
  ASSERT_TRUE(WaitForModify(modifies + 2));
  for (const TrayRecord& r : tray->Records()) EXPECT_NE("Orvandel (127.0.0.9)", r.Tip);
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ("80.1.2.3", ReadFileBytes(TextFile));
}

TEST_F(WatcherLookup, ALookupThatNeverEndsFailsAfterThirtySecondsAndTheWatchGoesOn) {
  const std::string silent = Environment("ORV_SILENT_NAME");
  const size_t before = LookupsOf(silent);
  StaticOptions(silent);
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(tray->WaitForCount(NIM_MODIFY, 1, 45000)) << "the limit is 30 s";
  EXPECT_EQ("Error", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ("Orvandel (Error - IP not responding)", LastModify().Tip);
  EXPECT_EQ(4, TrayPicture(LastModify()));
  ASSERT_TRUE(PumpUntil([&] { return LookupsOf(silent) >= before + 2; }, 20000))
      << "the timer starts again, and the next cycle looks up anew";
}

TEST_F(WatcherLookup, EndingTheProgramDuringALookupRunsNoCycleHandler) {
  const std::string silent = Environment("ORV_SILENT_NAME");
  const size_t before = LookupsOf(silent);
  StaticOptions(silent);
  StartInTray();
  ASSERT_TRUE(PumpUntil([&] { return LookupsOf(silent) > before; }, 30000)) << "the lookup is under way";
  ASSERT_TRUE(WaitForLocation("Searching"));

  CloseShowsNoOutcome();
}
