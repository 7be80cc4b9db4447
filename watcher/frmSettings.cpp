#include "watcher/frmSettings.h"

#include "common/Lang.h"
#include "rtl/core/FileLayer.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/Help.h"
#include "watcher/WatcherControlIds.h"
#include "watcher/core/CommandLine.h"
#include "watcher/core/RunEntry.h"
#include "watcher/core/SystemUser.h"
#include "watcher/core/WinVersion.h"
#include "watcher/frmInfos.h"
#include "watcher/frmProxy.h"

namespace {

VersionRecord ReadVersionRecord() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) return {false, 0, 0, 0, ""};
  return {true, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.szCSDVersion};
}

void SetFieldEnabled(rtl::TEdit& edit, bool enabled) {
  edit.SetEnabled(enabled);
  edit.ButtonFaceColor = !enabled;
  ::InvalidateRect(edit.Handle(), nullptr, TRUE);
}

}  // namespace

TSettings::TSettings(rtl::TComponent* owner)
    : rtl::TForm(owner),
      Errors([this] { return HandleAllocated() && ::PostMessageA(Handle(), kShowErrorMessage, 0, 0) != FALSE; },
             [this] { return CheckRunning; }) {
  IsMainForm = true;
  CreateFormWindow(kSettingsFormClass, 441, 312, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                   nullptr);
  SetCaption("Orvandel");
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(::LoadIconA(rtl::ModuleInstance(), "MAINICON")));
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadSmallIcon("MAINICON")));
  CreateComponents();
  CenterOnScreen();
  FormCreate();
}

TSettings::~TSettings() { EndWatch(); }

void TSettings::CreateComponents() {
  Timer1 = std::make_unique<rtl::TTimer>(nullptr);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(5000);
  Timer1->SetOnTimer([this] { Timer1Timer(); });
  LookupLimit = std::make_unique<rtl::TTimer>(nullptr);
  LookupLimit->SetEnabled(false);
  LookupLimit->SetOnTimer([this] { FinishLookup(TOutcome::LookupFailed); });
  HttpCli1 = std::make_unique<THttpCli>(nullptr);
  HttpCli1->NoCache = true;
}

TPing& TSettings::EchoComponent() {
  // Made at its first use: its socket library and icmp.dll cost the start
  // time and memory of a watcher that only fetches a page.
  if (!Ping1) {
    auto ping = std::make_unique<TPing>(nullptr);
    ping->SetSize(56);
    ping->SetTimeout(500);
    ping->SetTTL(64);
    ping->SetFlags(0);
    ping->OnDnsLookupDone = [this](TPing& sender, std::uint16_t error) { Ping1DnsLookupDone(sender, error); };
    Ping1 = std::move(ping);
  }
  return *Ping1;
}

int TSettings::GetWinVersion() { return ClassifyWindows(ReadVersionRecord()); }

bool TSettings::IsSystemUser() {
  char name[257] = {};
  DWORD size = sizeof name;
  if (!::GetUserNameA(name, &size)) return false;
  return IsSystemUserName(name);
}

void TSettings::FormCreate() {
  // The tray icon comes first: the controls, which cost most of the start,
  // are made after it and before the first cycle, from the options read
  // here. An error in a creation step ends the steps there; the options'
  // read alone lets the tray icon come up after its error.
  try {
    if (HasRichIcons(ReadVersionRecord())) Images.LoadRichImages();
    TaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");
    FLookupCycle = 0;
    HttpCli1->Agent = "Orvandel (Version " + GetVersion() + ")";
    SetCaption(Caption() + " " + GetVersion());
  } catch (...) {
    Errors.ReportException();
    CreateControls();
    return;
  }
  std::vector<std::function<void()>> options;
  bool loaded = false;
  bool hidden = false;
  try {
    ReadOptions(options);
    loaded = true;
    // As a click on "Hidden" would: it asks first.
    hidden = AsksForHiddenStart(::GetCommandLineA()) && AskHiddenMode();
  } catch (...) {
    Errors.ReportException();
  }
  bool located = hidden;
  try {
    if (!hidden) {
      TrayData.Fill(Handle(), Images.Image(1), "Orvandel");
      TrayData.Add();
      located = true;
    }
  } catch (...) {
    Errors.ReportException();
  }
  CreateControls();
  ControlsCreate(options, loaded, hidden);
  // "Location" tells that the start is complete, the window's values too.
  try {
    if (located) WriteLocation(hidden ? "" : "Searching");
  } catch (...) {
    Errors.ReportException();
  }
}

void TSettings::ControlsCreate(const std::vector<std::function<void()>>& options, bool loaded, bool hidden) {
  try {
    if (IsSystemUser()) {
      CheckBox3->SetEnabled(false);
      CheckBox3->SetStrikeOut(true);
    }
    SetCaptions();
    UpdateControls();
    // The trailing dot names the same file as without it on Windows.
    if (!rtl::FileExists(JoinFolder(rtl::WindowsFolder(), "System32\\drivers\\etc\\hosts."))) {
      CheckBox1->SetEnabled(false);
      Label8->SetEnabled(false);
      SetFieldEnabled(*Edit6, false);
    }
  } catch (...) {
    Errors.ReportException();
    return;
  }
  try {
    for (const auto& step : options) step();
    if (!loaded) return;
    UpdateControls();
    CheckBox4->SetChecked(hidden);
    ShowIfNewVersion();
  } catch (...) {
    Errors.ReportException();
  }
}

void TSettings::UpdateControls() {
  const bool page = RadioButton1->Checked();
  for (rtl::TEdit* edit : {Edit2.get(), Edit3.get(), Edit4.get()}) SetFieldEnabled(*edit, page);
  for (rtl::TLabel* label : {Label3.get(), Label4.get(), Label5.get()}) label->SetEnabled(page);
  SetFieldEnabled(*Edit7, !page);
  Label2->SetEnabled(!page);

  const bool lan = !CheckBox5->Checked();
  SetFieldEnabled(*Edit1, lan);
  SetFieldEnabled(*SpinEdit1, lan);
  SpinEdit1->SetFontColor(::GetSysColor(lan ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  Label1->SetEnabled(lan);
  Label7->SetEnabled(lan);

  // A missing hosts file leaves its option off for the whole run.
  if (CheckBox1->Enabled()) {
    SetFieldEnabled(*Edit6, CheckBox1->Checked());
    Label8->SetEnabled(CheckBox1->Checked());
  }
  SetFieldEnabled(*Edit5, CheckBox2->Checked());
  Label6->SetEnabled(CheckBox2->Checked());
}

LRESULT TSettings::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage) {
    const UINT mouse = static_cast<UINT>(lParam);
    if (mouse == WM_RBUTTONDOWN) {
      POINT at{};
      ::GetCursorPos(&at);
      ::SetForegroundWindow(Handle());
      if (!MenuMade) CreateMenu();
      PopupMenu1.Popup(Handle(), at.x, at.y);
    } else if (mouse == WM_LBUTTONDBLCLK) {
      Show();
      BringToFront();
    }
  } else if (message == kShowErrorMessage) {
    Errors.ShowWaiting();
    return 0;
  } else if (TaskbarCreatedMsg != 0 && message == TaskbarCreatedMsg) {
    TrayData.Add();
  }
  return rtl::TForm::WndProc(message, wParam, lParam);
}

void TSettings::FormClose() {
  EndWatch();
  TrayData.Delete(Images.Image(1));
}

bool TSettings::ShortCut(WPARAM key) {
  if (key != VK_F1) return false;
  Help1Click();  // Action1
  return true;
}

void TSettings::BringToFront() { ::SetForegroundWindow(Handle()); }

void TSettings::FocusIfVisible(rtl::TControl& control) {
  // A control that cannot take the focus now keeps it where it is.
  if (Visible() && control.Enabled()) control.SetFocus();
}

bool TSettings::AskHiddenMode() {
  return rtl::MessageDlg(ChooseText("Do you really want to to run the program in hidden-mode?",
                                    "Wollen Sie das Programm wirklich im Verborgen-Modus ausführen?"),
                         rtl::TMsgDlgType::Confirmation, rtl::mbYes | rtl::mbNo) == rtl::mrYes;
}

void TSettings::BitBtn1Click() {
  Hide();
  // A registry that refuses must not leave the watch stopped: the cycle
  // runs all the same, and the error is shown after it.
  try {
    SaveSettings();
    MaintainRunEntry();
  } catch (...) {
    Errors.ReportException();
  }
  try {
    if (CheckBox4->Checked()) {
      TrayData.Delete(Images.Image(1));
      WriteLocation("Searching");
    } else {
      WriteLocation("");
    }
  } catch (...) {
    Errors.ReportException();
  }
  CheckIP();
}

void TSettings::BitBtn2Click() {
  LoadSettings();
  Hide();
  // A tick while the window was open stopped the timer; a running cycle or
  // lookup starts it itself when it ends.
  if (!CheckRunning && !AwaitingLookup()) StartTimer();
}

void TSettings::BitBtn3Click() { Exit1Click(); }

void TSettings::Options1Click() {
  Show();
  BringToFront();
}

void TSettings::Help1Click() { OpenHelpTopic(Handle(), HelpTopic()); }

void TSettings::Info1Click() {
  if (Infos) Infos->ShowInfo(Images, GetVersion());
}

void TSettings::Hide1Click() {
  if (AskHiddenMode()) TrayData.Delete(Images.Image(1));
}

void TSettings::Exit1Click() {
  if (rtl::MessageDlg(ChooseText("Do you really want to terminate the program?",
                                 "Wollen Sie das Programm wirklich beenden?"),
                      rtl::TMsgDlgType::Confirmation, rtl::mbYes | rtl::mbNo) == rtl::mrYes)
    Close();
}

void TSettings::CheckBox4Click() {
  if (CheckBox4->Checked() && !AskHiddenMode()) CheckBox4->SetCheckedAndClick(false);
}

void TSettings::CheckBox5Click() {
  UpdateControls();
  if (!CheckBox5->Checked()) FocusIfVisible(*Edit1);
}

void TSettings::RadioButton1Click() {
  UpdateControls();
  FocusIfVisible(*Edit2);
}

void TSettings::RadioButton2Click() {
  UpdateControls();
  FocusIfVisible(*Edit7);
}

void TSettings::SpeedButton1Click() {
  if (Proxy) Proxy->ShowModal();
}
