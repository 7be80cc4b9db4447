#pragma once
// The settings window: the watcher's main window. Its controls are the live
// settings; it owns the tray icon and its menu, and it stays hidden most of
// the time.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "rtl/win32/GroupControls.h"
#include "rtl/win32/Menus.h"
#include "net/HttpCli.h"
#include "net/Ping.h"
#include "rtl/win32/Timer.h"
#include "ui/BarMenus.h"
#include "ui/Spin.h"
#include "watcher/core/WatchOutcome.h"
#include "watcher/ErrorBox.h"
#include "watcher/StateImages.h"
#include "watcher/TrayIcon.h"

class TProxy;
class TInfos;

class TSettings : public rtl::TForm {
public:
  explicit TSettings(rtl::TComponent* owner);
  ~TSettings() override;

  // Created after this window, before the message loop.
  TProxy* Proxy = nullptr;
  TInfos* Infos = nullptr;

  // One watch cycle. An error that escapes it starts the timer again and
  // is shown afterwards, so it never throws and never leaves the watch
  // stopped.
  void CheckIP();
  // The end of the watch: no timer ticks any more, and a lookup that is
  // still under way ends without running the cycle's handler. Run when the
  // window closes and again when it is destroyed.
  void EndWatch();

  void LoadSettings();
  void UpdateControls();
  static std::string GetVersion();
  static int GetWinVersion();
  static bool IsSystemUser();

  // The state images; the info dialog copies them.
  TStateImages Images;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormClose() override;
  bool ShortCut(WPARAM key) override;

private:
  void CreateControls();
  void SetCaptions();
  void CreateMenu();
  void CreateComponents();
  void FormCreate();
  void ControlsCreate(const std::vector<std::function<void()>>& options, bool loaded, bool hidden);

  // Reads the stored options; each becomes a step that sets its control.
  void ReadOptions(std::vector<std::function<void()>>& steps);
  void ShowIfNewVersion();
  void SaveSettings();
  void MaintainRunEntry();
  void WriteLocation(const std::string& location);

  // The watch cycle (WatchCycle.cpp).
  void Timer1Timer();
  void RunCheck();
  int CheckIntranet();
  TOutcome CheckPage();
  std::string GetHTTPFile(const std::string& url);
  void StreamToMemo(std::vector<std::string>& memo, rtl::TMemoryStream& stream);
  void ApplyProxy();
  TPing& EchoComponent();
  void Ping1DnsLookupDone(TPing& sender, std::uint16_t error);
  bool AwaitingLookup() const;
  void StartLookupLimit();
  void EndLookupWait();
  void FinishLookup(TOutcome outcome);
  void ShowOutcome(TOutcome outcome);
  void Finish();
  void StartTimer();
  void Edit1Exit();
  // Publishing (Publish.cpp).
  void UpdateIP();
  void UpdateHostsFile();
  void UpdateTextFile();
  void WarnAboutHostName();

  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void Options1Click();
  void Help1Click();
  void Info1Click();
  void Hide1Click();
  void Exit1Click();
  void CheckBox4Click();
  void CheckBox5Click();
  void RadioButton1Click();
  void RadioButton2Click();
  void SpeedButton1Click();
  bool AskHiddenMode();
  void BringToFront();
  void FocusIfVisible(rtl::TControl& control);

  std::unique_ptr<rtl::TGroupBox> GroupBox1, GroupBox2, GroupBox3;
  std::unique_ptr<rtl::TLabel> Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
  std::unique_ptr<rtl::TEdit> Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7;
  std::unique_ptr<ui::TSpinEdit> SpinEdit1, SpinEdit2;
  std::unique_ptr<rtl::TCheckBox> CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5;
  std::unique_ptr<rtl::TRadioButton> RadioButton1, RadioButton2;
  std::unique_ptr<rtl::TSpeedButton> SpeedButton1;
  std::unique_ptr<rtl::TBevel> Bevel1;
  std::unique_ptr<rtl::TButton> BitBtn1, BitBtn2, BitBtn3;

  rtl::TImageList ImageList1{16, 16};
  ui::TBcBarPopupMenu PopupMenu1;
  bool MenuMade = false;

  TTrayIcon TrayData;
  UINT TaskbarCreatedMsg = 0;

  std::unique_ptr<rtl::TTimer> Timer1;
  // Ends a lookup that the resolver leaves waiting.
  std::unique_ptr<rtl::TTimer> LookupLimit;
  std::unique_ptr<TPing> Ping1;  // made at its first use, by EchoComponent
  std::unique_ptr<THttpCli> HttpCli1;
  // The page's lines; a plain list, since nobody ever sees it.
  std::vector<std::string> Memo1;
  std::string CurrentIP, PublishedIP;
  // Each cycle has a number; a lookup belongs to the cycle that started it
  // and counts only while that cycle is the latest (0: none is awaited).
  unsigned FCycle = 0;
  unsigned FLookupCycle = 0;
  bool CheckRunning = false;
  TErrorBox Errors;
  // The outcome that the next Finish shows.
  TOutcomeView FOutcome;
};
