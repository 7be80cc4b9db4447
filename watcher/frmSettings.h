#pragma once
// The settings window: the watcher's main window. Its controls are the live
// settings, which the settings store keeps; it owns the tray icon and its
// menu, and the watch cycle with the components it lends it. It stays
// hidden most of the time.

#include <memory>
#include <string>

#include "net/HttpCli.h"
#include "net/Ping.h"
#include "rtl/win32/Timer.h"
#include "watcher/ErrorBox.h"
#include "watcher/PageFetch.h"
#include "watcher/SettingsStore.h"
#include "watcher/StateImages.h"
#include "watcher/TrayIcon.h"
#include "watcher/WatchCycle.h"
#include "watcher/core/WinVersion.h"
#include "watcher/frmSettingsLayout.h"

class TProxy;
class TInfos;

class TSettings : public rtl::TForm, private TSettingsControls {
public:
  explicit TSettings(rtl::TComponent* owner);
  ~TSettings() override;

  // Created after this window, before the message loop.
  TProxy* Proxy = nullptr;
  TInfos* Infos = nullptr;

  // One watch cycle with the settings as the controls hold them now. It
  // never throws and never leaves the watch stopped: an error that ends
  // the cycle starts the timer again and is shown afterwards.
  void CheckIP();
  // The end of the watch: no timer ticks any more, and a lookup that is
  // still under way ends without an outcome. Run when the window closes
  // and again when it is destroyed.
  void EndWatch();

  void LoadSettings();
  void UpdateControls();
  static std::string GetVersion();
  static TWindowsClass GetWinVersion();
  static bool IsSystemUser();

  // The state images; the info dialog copies them.
  TStateImages Images;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormClose() override;
  bool ShortCut(WPARAM key) override;

private:
  void CreateComponents();
  void FormCreate();
  void ControlsCreate(const TStoredOptions& options, bool loaded, bool hidden);
  void WireControls();
  void ApplyOptions(const TStoredOptions& options);
  TStoredOptions OptionsOfControls() const;
  TWatchSettings WatchSettings() const;
  void ShowIfNewVersion();
  void SaveSettings();

  // The watch cycle's steps on the window's side.
  void Timer1Timer();
  std::string GetHTTPFile(const std::string& url);
  void StreamToMemo(std::string& memo, const std::string& bytes);
  std::string LookUpStaticEntry(const std::string& entry);
  TPing& EchoComponent();
  void Ping1DnsLookupDone(TPing& sender, std::uint16_t error);
  void SaveIntranetAddress(const std::string& address);
  void ShowOutcome(const TCycleEnd& end);
  void StartTimer();
  void Edit1Exit();
  void WarnAboutHostName();

  void BitBtn1Click();
  void Accept();
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

  rtl::TImageList ImageList1{16, 16};
  ui::TBcBarPopupMenu PopupMenu1;
  bool MenuMade = false;

  TTrayIcon TrayData;
  UINT TaskbarCreatedMsg = 0;

  TErrorBox Errors;
  std::unique_ptr<rtl::TTimer> Timer1;
  std::unique_ptr<TPing> Ping1;  // made at its first use, by EchoComponent
  std::unique_ptr<THttpCli> HttpCli1;
  std::unique_ptr<TPageFetch> PageFetch;
  std::unique_ptr<TWatchCycle> Cycle;
};
