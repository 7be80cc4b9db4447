#pragma once
// The settings window: the watcher's main window. Its controls are the live
// settings; it owns the tray icon and its menu, and it stays hidden most of
// the time.

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
#include "ui/Spin.h"
#include "watcher/core/WatchOutcome.h"
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

  // One watch cycle. An error that escapes it is shown once and the timer
  // starts again, so it never throws and never leaves the watch stopped.
  void CheckIP();

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
  void Ping1DnsLookupDone(TPing& sender, std::uint16_t error);
  void ShowOutcome(TOutcome outcome);
  void Finish();
  void StartTimer();
  void Edit1Exit();
  // Publishing (Publish.cpp).
  void UpdateIP();
  void UpdateHostsFile();
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
  rtl::TPopupMenu PopupMenu1;
  int Options1 = 0, Help1 = 0, Info1 = 0, Hide1 = 0, Exit1 = 0;

  TTrayIcon TrayData;
  UINT TaskbarCreatedMsg = 0;

  std::unique_ptr<rtl::TTimer> Timer1;
  std::unique_ptr<TPing> Ping1;
  std::unique_ptr<THttpCli> HttpCli1;
  // The page's lines; a plain list, since nobody ever sees it.
  std::vector<std::string> Memo1;
  std::string CurrentIP, PublishedIP;
  bool LookupPending = false;
  bool CheckRunning = false;
  // The outcome that the next Finish shows.
  TOutcomeView FOutcome;
};
