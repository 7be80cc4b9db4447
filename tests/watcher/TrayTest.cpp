// The tray icon's callback messages, its menu, re-adding after the shell
// restarts, help, the info dialog, and the end of the program.

#include "tests/watcher/WatcherFixture.h"

#include <fstream>
#include <sstream>

#include "rtl/win32/Dialogs.h"
#include "watcher/SettingsKeys.h"

class WatcherTray : public Watcher {
protected:
  void StartInTray() {
    StartKnown();
    ASSERT_TRUE(WaitForTrayStart());
  }
  void Callback(UINT mouseMessage) { ::PostMessageA(Settings(), 1044, 100, mouseMessage); }
  HWND OpenMenu() {
    Callback(WM_RBUTTONDOWN);
    return watcher->WaitFor("#32768");
  }
};

TEST_F(WatcherTray, RightButtonOpensTheMenuSingleClickNothingDoubleClickTheWindow) {
  StartInTray();
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  HWND menu = OpenMenu();  // handled after the single click, in order
  ASSERT_NE(nullptr, menu) << "right button down opens the menu";
  EXPECT_FALSE(::IsWindowVisible(Settings())) << "a single left click does nothing";
  MenuKey(menu, '\x1b');
  ASSERT_TRUE(PumpUntil([&] { return watcher->Find("#32768", true) == nullptr; }));
  Callback(WM_LBUTTONDBLCLK);
  EXPECT_NE(nullptr, WaitForSettingsShown()) << "a double-click shows the window";
}

TEST_F(WatcherTray, MenuOptionsShowsTheWindowAndHideTrayiconAsks) {
  StartInTray();
  HWND menu = OpenMenu();
  ASSERT_NE(nullptr, menu);
  MenuKey(menu, Pick("o", "o")[0]);
  ASSERT_NE(nullptr, WaitForSettingsShown());

  for (int answer : {IDNO, IDYES}) {
    menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    MenuKey(menu, 't');
    HWND question = watcher->WaitFor(rtl::kMessageFormClass);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(Pick("Do you really want to to run the program in hidden-mode?",
                   "Wollen Sie das Programm wirklich im Verborgen-Modus ausführen?"),
              WindowText(::GetDlgItem(question, rtl::kMessageTextID)));
    ASSERT_TRUE(Answer(question, answer));
  }
  ASSERT_TRUE(tray->WaitForCount(NIM_DELETE, 1));
  EXPECT_EQ(1u, tray->Count(NIM_DELETE)) << "only Yes took the icon away";
  EXPECT_FALSE(IsChecked(Control(idCheckBox4))) << "Hide Trayicon does not tick Hidden";
}

TEST_F(WatcherTray, TaskbarCreatedAddsTheIconAgainWithTheLastState) {
  StartInTray();
  ASSERT_TRUE(tray->WaitForCount(NIM_MODIFY, 1)) << "the first cycle's outcome";
  ::PostMessageA(Settings(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ASSERT_TRUE(tray->WaitForCount(NIM_ADD, 2));
  const TrayRecord& again = *tray->Last(NIM_ADD);
  EXPECT_EQ(Pick("Orvandel (Error)", "Orvandel (Fehler)"), again.Tip);
  EXPECT_EQ(100u, again.ID);
  EXPECT_EQ(tray->Last(NIM_MODIFY)->IconData, again.IconData) << "the warning sign again";
}

TEST_F(WatcherTray, ExitAsksAndTheCloseButtonDoesNot) {
  StartInTray();
  Callback(WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  for (int answer : {IDNO, IDYES}) {
    Click(Control(idBitBtn3));
    HWND question = watcher->WaitFor(rtl::kMessageFormClass);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(Pick("Do you really want to terminate the program?", "Wollen Sie das Programm wirklich beenden?"),
              WindowText(::GetDlgItem(question, rtl::kMessageTextID)));
    ASSERT_TRUE(Answer(question, answer));
    if (answer == IDNO) {
      EXPECT_TRUE(watcher->Running());
    }
  }
  ASSERT_TRUE(watcher->WaitForExit());
  EXPECT_EQ(0u, watcher->ExitCode());
  ASSERT_EQ(1u, tray->Count(NIM_DELETE));
  EXPECT_EQ(100u, tray->Last(NIM_DELETE)->ID);

  // The title bar's close button ends the program without a question.
  tray = std::make_unique<TrayRecorder>();
  StartInTray();
  ::PostMessageA(Settings(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(watcher->WaitForExit());
  EXPECT_EQ(0u, watcher->ExitCode());
  EXPECT_EQ(1u, tray->Count(NIM_DELETE)) << "the icon goes with the program";
}

TEST_F(WatcherTray, InfoDialogShowsVersionStatesAndIcons) {
  StartInTray();
  HWND menu = OpenMenu();
  ASSERT_NE(nullptr, menu);
  MenuKey(menu, 'i');
  HWND infos = watcher->WaitFor(kInfosFormClass);
  ASSERT_NE(nullptr, infos);
  auto item = [infos](int id) { return ::GetDlgItem(infos, id); };
  EXPECT_EQ("Info", WindowText(infos));
  EXPECT_EQ("Orvandel", WindowText(item(idInfosLabel1)));
  EXPECT_EQ("Version 5.0.0.0", WindowText(item(idInfosLabel7)));
  EXPECT_EQ(Pick("Local", "Lokal"), WindowText(item(idInfosL1)));
  EXPECT_EQ("Web", WindowText(item(idInfosL2)));
  EXPECT_EQ(Pick("Error", "Fehler"), WindowText(item(idInfosL3)));
  EXPECT_EQ("&OK", WindowText(item(idInfosBitBtn1)));
  EXPECT_EQ("info@tarvik.test", WindowText(item(idInfosLabel6)));
  for (int id : {idInfosI1, idInfosI2, idInfosI3, idInfosImage1})
    EXPECT_NE(0, ::SendMessageA(item(id), STM_GETICON, 0, 0)) << "a picture in " << id;

  // The mouse resting on a state label shows its hint.
  const struct {
    int id;
    const char *english, *german;
  } hints[] = {{idInfosL3, "not found", "nicht gefunden"},
               {idInfosL1, "lokal connection", "lokale Verbindung"},
               {idInfosL2, "internet connection", "internet Verbindung"}};
  for (const auto& h : hints) {
    RECT r{};
    ::GetWindowRect(item(h.id), &r);
    ::SetCursorPos(r.left + 3, (r.top + r.bottom) / 2);
    ::SetCursorPos(r.left + 5, (r.top + r.bottom) / 2);
    HWND tip = nullptr;
    PumpUntil([&] {
      tip = watcher->Find("tooltips_class32", true);
      return tip && WindowText(tip) == Pick(h.english, h.german);
    });
    ASSERT_NE(nullptr, tip) << h.english;
    EXPECT_EQ(Pick(h.english, h.german), WindowText(tip));
    ::SetCursorPos(0, 0);
    PumpUntil([&] { return watcher->Find("tooltips_class32", true) == nullptr; }, 5000);
  }

  Click(item(idInfosBitBtn1));
  ASSERT_TRUE(PumpUntil([infos] { return !::IsWindowVisible(infos); }));
  EXPECT_TRUE(watcher->Running());
}

namespace {

// Puts a stand-in for the HTML Help viewer into the Windows folder for the
// test's time; it writes down the command line it got.
class ViewerStandIn {
public:
  ViewerStandIn() : FViewer(WindowsFile("hh.exe")), FSaved(WindowsFile("hh.exe.orv-saved")) {
    ::DeleteFileA(Record().c_str());
    ::MoveFileA(FViewer.c_str(), FSaved.c_str());
    FInPlace = ::CopyFileA(HostToWindows(ORV_VIEWER_STANDIN_EXE).c_str(), FViewer.c_str(), FALSE) != FALSE;
  }
  ~ViewerStandIn() {
    ::DeleteFileA(FViewer.c_str());
    ::MoveFileA(FSaved.c_str(), FViewer.c_str());
  }
  bool InPlace() const { return FInPlace; }
  static std::string Record() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp) + "orv-viewer-args.txt";
  }
  std::string Arguments() const {
    std::ifstream in(Record());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  std::string FViewer, FSaved;
  bool FInPlace = false;
};

}  // namespace

TEST_F(WatcherTray, HelpOpensTheTopicOfTheLanguage) {
  ViewerStandIn viewer;
  ASSERT_TRUE(viewer.InPlace());
  StartInTray();
  const std::string topic = Pick("Orvandel.chm::/hlp_index_e.htm", "Orvandel.chm::/hlp_index.htm");

  // F1 in the settings window.
  Callback(WM_LBUTTONDBLCLK);
  ASSERT_NE(nullptr, WaitForSettingsShown());
  ::PostMessageA(Control(idEdit1), WM_KEYDOWN, VK_F1, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsFile(ViewerStandIn::Record()); }));
  ASSERT_TRUE(PumpUntil([&] { return viewer.Arguments().find(topic) != std::string::npos; }, 5000))
      << viewer.Arguments();
  // After the viewer's own (quoted) path: one argument, a short path
  // without blanks or quotes.
  std::string args = viewer.Arguments();
  args = args.substr(args.find(' ', args[0] == '"' ? args.find('"', 1) : 0) + 1);
  EXPECT_EQ(std::string::npos, args.find_first_of("\" ")) << args;
  EXPECT_EQ(args.size() - topic.size(), args.find(topic)) << args;

  // The menu's Help.
  ::DeleteFileA(ViewerStandIn::Record().c_str());
  HWND menu = OpenMenu();
  ASSERT_NE(nullptr, menu);
  MenuKey(menu, 'h');
  ASSERT_TRUE(PumpUntil([&] { return viewer.Arguments().find(topic) != std::string::npos; })) << viewer.Arguments();

  // F1 in the info dialog.
  ::DeleteFileA(ViewerStandIn::Record().c_str());
  menu = OpenMenu();
  ASSERT_NE(nullptr, menu);
  MenuKey(menu, 'i');
  HWND infos = watcher->WaitFor(kInfosFormClass);
  ASSERT_NE(nullptr, infos);
  ::PostMessageA(::GetDlgItem(infos, idInfosBitBtn1), WM_KEYDOWN, VK_F1, 0);
  ASSERT_TRUE(PumpUntil([&] { return viewer.Arguments().find(topic) != std::string::npos; })) << viewer.Arguments();
}
