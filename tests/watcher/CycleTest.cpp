// The watch cycle end to end: the page and static sources, the intranet
// ping, every outcome as the registry, the shell and the info dialog got
// it, and the timer around the settings window.

#include "tests/watcher/CycleFixture.h"

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

namespace {

std::string HostLineFor(const std::string& address) {
  return address + "\tserver\t# " + Pick("Modified by Orvandel", "Verändert von Orvandel");
}

}  // namespace

TEST_F(WatcherCycle, PageAddressIsShownAndPublishedAndFollowsTheChange) {
  server->SetPage("<html>\n<b>Your IP: 80.1.2.3</b>\n</html>");
  PageOptions(server->Url(), "IP: ", "</b>");
  SetDword(kSettingsKey, "Interval", 1);
  WriteFileBytes(HostsPath(), "127.0.0.1 localhost\r\n10.9.9.9\tSERVER # old\r\n10.0.0.5 myserver\r\n");
  StartInTray();

  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ("Orvandel (80.1.2.3)", LastModify().Tip);
  EXPECT_EQ(3, TrayPicture(LastModify()));
  EXPECT_EQ("127.0.0.1 localhost\r\n" + HostLineFor("80.1.2.3") + "\r\n10.0.0.5 myserver\r\n",
            ReadFileBytes(HostsPath()));
  EXPECT_NE(std::string::npos, server->LastRequest().find("\r\nUser-Agent: Orvandel (Version 5.0.0.0)\r\n"))
      << server->LastRequest();

  // The next cycles find the new address: the host line is replaced, not added.
  server->SetPage("<b>Your IP: 80.1.2.4</b>");
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.4"));
  EXPECT_EQ("127.0.0.1 localhost\r\n" + HostLineFor("80.1.2.4") + "\r\n10.0.0.5 myserver\r\n",
            ReadFileBytes(HostsPath()));
  EXPECT_EQ("Orvandel (80.1.2.4)", LastModify().Tip);
}

TEST_F(WatcherCycle, BareAddressPageWithTheIntranetCheckOnAndItsFieldEmpty) {
  // Most address services answer with the address and a line end alone.
  server->SetPage("80.128.0.5\n");
  PageOptions(server->Url());
  SetDword(kSettingsKey, "NoLan", 0);
  SetString(kSettingsKey, "LanIP", "");
  WriteFileBytes(HostsPath(), "");
  StartInTray();

  ASSERT_TRUE(WaitForFile(TextFile, "80.128.0.5"));
  EXPECT_EQ("Web", StringValue(kSettingsKey, "Location")) << "an empty field is no machine to ping";
  EXPECT_EQ("Orvandel (80.128.0.5)", LastModify().Tip);
  EXPECT_EQ(HostLineFor("80.128.0.5") + "\r\n", ReadFileBytes(HostsPath()));
  EXPECT_EQ("", StringValue(kSettingsKey, "LanIP"));
}

TEST_F(WatcherCycle, NoPageTextFromAnEmptyUrlOrAServerThatNeverAnswers) {
  PageOptions("");
  StartInTray();
  ASSERT_TRUE(WaitForLocation("Error"));
  ASSERT_TRUE(WaitForModify(1));
  EXPECT_EQ(Pick("Orvandel (Error)", "Orvandel (Fehler)"), LastModify().Tip);
  EXPECT_EQ(4, TrayPicture(LastModify()));
  EXPECT_EQ(0, server->Connections()) << "no request without a URL";
  EXPECT_FALSE(IsFile(TextFile)) << "nothing to publish";

  watcher.reset();
  tray = std::make_unique<TrayRecorder>();
  server->SetDropping(true);
  PageOptions(server->Url());
  StartInTray();
  ASSERT_TRUE(WaitForModify(1));
  EXPECT_EQ("Error", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ(Pick("Orvandel (Error)", "Orvandel (Fehler)"), LastModify().Tip);
  EXPECT_EQ(4, server->Connections()) << "four attempts";
}

TEST_F(WatcherCycle, EachAttemptStartsEmptyAndAnOversizedPageIsNoPage) {
  // The failed attempt's body must not stand before the next one's page.
  server->FailNext(1, "IP: 80.9.9.9 /");
  server->SetPage("IP: 80.1.2.3 /");
  PageOptions(server->Url(), "IP: ", " /");
  StartInTray();
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3"));
  EXPECT_EQ(2, server->Connections());

  watcher.reset();
  tray = std::make_unique<TrayRecorder>();
  server->SetPage(std::string(2 * 1024 * 1024, ' ') + "80.1.2.4");
  PageOptions(server->Url());
  StartInTray();
  ASSERT_TRUE(WaitForLocation("Error")) << "no page within the limit of 1 MiB";
  EXPECT_EQ(2 + 4, server->Connections());
  EXPECT_EQ("80.1.2.3", ReadFileBytes(TextFile));
}

TEST_F(WatcherCycle, AnEmptyPageOnAConnectionThatStaysOpenSpoilsNoLaterCheck) {
  // "Content-Length: 0" ends the page at once, while its server keeps the
  // connection: the check closes it itself, and the next check fetches the
  // page as usual. (A long interval: nothing but that check may close it.)
  server->SetPage("<b>Your IP: 80.1.2.3</b>");
  server->EmptyOnceHeld();
  PageOptions(server->Url(), "IP: ", "</b>");
  StartInTray();
  ASSERT_TRUE(WaitForLocation("Error")) << "the empty page is no page text";
  ASSERT_TRUE(PumpUntil([&] { return server->HeldClosed(); })) << "the check left the connection open";
  ::PostMessageA(Settings(), kTrayCallbackMessage, kTrayIconID, WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  Click(Control(idBitBtn1));
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3")) << "OK's check finds the address";
  EXPECT_EQ("OnlyWeb", StringValue(kSettingsKey, "Location"));
}

TEST_F(WatcherCycle, InvalidAddressThenAValidOneMovesTheBoldLabel) {
  server->SetPage("IP: 10.0.0 </b>");
  PageOptions(server->Url(), "IP:", "</b>");
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(WaitForLocation("Error IP"));
  ASSERT_TRUE(WaitForModify(1));
  EXPECT_EQ(Pick("Orvandel (Error - IP not valid)", "Orvandel (Fehler - ungültige IP)"), LastModify().Tip);
  EXPECT_EQ(4, TrayPicture(LastModify()));
  EXPECT_FALSE(IsFile(TextFile));
  const int errorBold = LabelWidth(idInfosL3), webNormal = LabelWidth(idInfosL2);

  server->SetPage("IP: $50.1.2.3 </b>");
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3")) << "the canonical form is published";
  ASSERT_TRUE(WaitForLocation("OnlyWeb"));
  EXPECT_LT(LabelWidth(idInfosL3), errorBold) << "Error is normal again";
  EXPECT_GT(LabelWidth(idInfosL2), webNormal) << "Web is bold";
}

TEST_F(WatcherCycle, StaticEntries) {
  WriteFileBytes(HostsPath(), "127.0.0.1 localhost\r\n");
  const struct {
    const char* entry;
    DWORD noLan;
    const char* location;
    const char* english;
    const char* german;
    int picture;
    const char* published;
    size_t modifies;
  } cases[] = {
      // The dotted entry ends inside the lookup call: the handler shows
      // its outcome, then the cycle shows its own.
      {"80.1.2.3", 1, "OnlyWeb", "Orvandel (80.1.2.3)", "Orvandel (80.1.2.3)", 3, "80.1.2.3", 2},
      {"localhost", 1, "WebOnly", "Orvandel (127.0.0.1)", "Orvandel (127.0.0.1)", 3, "127.0.0.1", 1},
      {"localhost", 0, "Web", "Orvandel (127.0.0.1)", "Orvandel (127.0.0.1)", 3, "127.0.0.1", 1},
      // Nothing to look up: a failed lookup, without an error box.
      {"", 1, "Error", "Orvandel (Error - IP not responding)", "Orvandel (Fehler - IP antwortet nicht)", 4,
       "(no file)", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    watcher.reset();
    tray = std::make_unique<TrayRecorder>();
    ::DeleteFileA(TextFile.c_str());
    DeleteValue(kSettingsKey, "Location");
    PageOptions("");
    SetDword(kSettingsKey, "FromFile", 0);
    SetDword(kSettingsKey, "FromStatic", 1);
    SetString(kSettingsKey, "StaticIP", c.entry);
    SetDword(kSettingsKey, "NoLan", c.noLan);
    SetString(kSettingsKey, "LanIP", "");
    StartInTray();
    ASSERT_TRUE(WaitForLocation(c.location));
    ASSERT_TRUE(WaitForModify(c.modifies));
    EXPECT_EQ(Pick(c.english, c.german), LastModify().Tip);
    EXPECT_EQ(c.picture, TrayPicture(LastModify()));
    EXPECT_TRUE(WaitForFile(TextFile, c.published));
    EXPECT_EQ(nullptr, watcher->Find("#32770")) << "no error box";
  }
}

TEST_F(WatcherCycle, HomeWhenTheIntranetMachineAnswers) {
  PageOptions(server->Url());
  SetDword(kSettingsKey, "NoLan", 0);
  SetString(kSettingsKey, "LanIP", "127.0.0.1");
  WriteFileBytes(HostsPath(), "127.0.0.1 localhost");
  StartInTray();
  ASSERT_TRUE(WaitForFile(TextFile, "127.0.0.1"));
  EXPECT_EQ("Home", StringValue(kSettingsKey, "Location"));
  EXPECT_EQ("Orvandel (Intranet)", LastModify().Tip);
  EXPECT_EQ(2, TrayPicture(LastModify()));
  EXPECT_EQ("127.0.0.1 localhost\r\n" + HostLineFor("127.0.0.1"), ReadFileBytes(HostsPath()))
      << "no line end at the end, as before";
  EXPECT_EQ(0, server->Connections()) << "no page while at home";
}

TEST_F(WatcherCycle, HostNameInTheIntranetFieldBecomesItsAddressAndIsSaved) {
  PageOptions(server->Url());
  SetDword(kSettingsKey, "NoLan", 0);
  SetString(kSettingsKey, "LanIP", "localhost");
  StartInTray();
  ASSERT_TRUE(WaitForModify(2)) << "the nested cycle's outcome, then the outer one's";
  EXPECT_EQ("127.0.0.1", StringValue(kSettingsKey, "LanIP"));
  EXPECT_EQ("127.0.0.1", WindowText(Control(idEdit1)));
  EXPECT_EQ("Home", StringValue(kSettingsKey, "Location"));
  EXPECT_TRUE(WaitForFile(TextFile, "127.0.0.1"));
  for (const TrayRecord& r : tray->Records())
    if (r.Command == NIM_MODIFY) {
      EXPECT_EQ("Orvandel (Intranet)", r.Tip);
    }
}

TEST_F(WatcherCycle, TicksRestWhileTheWindowIsOpenAndAbortStartsThemAgain) {
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  SetDword(kSettingsKey, "Interval", 1);
  StartInTray();
  ASSERT_TRUE(WaitForModify(2)) << "cycles every second";
  ::PostMessageA(Settings(), kTrayCallbackMessage, kTrayIconID, WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  PumpFor(2500);  // a tick that falls now stops the timer
  const int connections = server->Connections();
  PumpFor(2500);
  EXPECT_EQ(connections, server->Connections()) << "no cycle while the window is open";

  Click(Control(idBitBtn2));
  ASSERT_TRUE(PumpUntil([&] { return server->Connections() > connections; }, 30000)) << "Abort starts the timer";
  EXPECT_FALSE(::IsWindowVisible(Settings()));
}

TEST_F(WatcherCycle, OkWhileAFetchWaitsLeavesThatFetchAlone) {
  server->SetHolding(true);
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  StartInTray();
  ASSERT_TRUE(PumpUntil([&] { return server->Connections() == 1; }));
  // Get keeps the messages moving: the window opens, and OK runs a cycle
  // inside the waiting one. The busy client refuses that cycle's fetch.
  ::PostMessageA(Settings(), kTrayCallbackMessage, kTrayIconID, WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  Click(Control(idBitBtn1));
  ASSERT_TRUE(WaitForLocation("Error")) << "the inner cycle found no page";
  server->SetHolding(false);
  ASSERT_TRUE(WaitForFile(TextFile, "80.1.2.3")) << "the waiting fetch still gets its page";
  ASSERT_TRUE(WaitForLocation("OnlyWeb"));
  EXPECT_EQ(1, server->Connections());
  EXPECT_EQ("Orvandel (80.1.2.3)", LastModify().Tip);
}

TEST_F(WatcherCycle, LeavingTheIntranetFieldProposesTheHostName) {
  PageOptions("");
  Start();
  ASSERT_NE(nullptr, WaitForSettingsShown());
  SetWindowTextTo(Control(idEdit1), "localhost");
  ::PostMessageA(Settings(), WM_COMMAND, MAKEWPARAM(idEdit1, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control(idEdit1)));
  ASSERT_TRUE(PumpUntil([&] { return WindowText(Control(idEdit6)) == "localhost"; }, 20000))
      << WindowText(Control(idEdit6));

  // An address has no other name to propose.
  SetWindowTextTo(Control(idEdit6), "kept");
  SetWindowTextTo(Control(idEdit1), "127.0.0.1");
  ::PostMessageA(Settings(), WM_COMMAND, MAKEWPARAM(idEdit1, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control(idEdit1)));
  PumpFor(1500);
  EXPECT_EQ("kept", WindowText(Control(idEdit6)));
}

TEST_F(WatcherCycle, EndingTheProgramDuringAFetchShowsNoOutcome) {
  server->SetHolding(true);
  server->SetPage("80.1.2.3");
  PageOptions(server->Url());
  StartInTray();
  ASSERT_TRUE(PumpUntil([&] { return server->Connections() == 1; }));
  ASSERT_TRUE(WaitForLocation("Searching"));
  CloseShowsNoOutcome();
}
