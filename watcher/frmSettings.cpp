#include "watcher/frmSettings.h"

#include "common/Lang.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/Help.h"
#include "watcher/WatcherControlIds.h"
#include "watcher/core/CommandLine.h"
#include "watcher/core/HostsFile.h"
#include "watcher/core/PageText.h"
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
             [this] { return Cycle && Cycle->Running(); }) {
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

void TSettings::WireControls() {
  CheckBox1->OnClick = [this] { UpdateControls(); };
  CheckBox2->OnClick = [this] { UpdateControls(); };
  CheckBox4->OnClick = [this] { CheckBox4Click(); };
  CheckBox5->OnClick = [this] { CheckBox5Click(); };
  RadioButton1->OnClick = [this] { RadioButton1Click(); };
  RadioButton2->OnClick = [this] { RadioButton2Click(); };
  SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
  BitBtn1->OnClick = [this] {
    WarnAboutHostName();
    BitBtn1Click();
  };
  Edit1->OnExit = [this] { Edit1Exit(); };
  BitBtn2->OnClick = [this] { BitBtn2Click(); };
  BitBtn3->OnClick = [this] { BitBtn3Click(); };
}

void TSettings::CreateComponents() {
  Timer1 = std::make_unique<rtl::TTimer>(nullptr);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(5000);
  Timer1->SetOnTimer([this] { Timer1Timer(); });
  HttpCli1 = std::make_unique<THttpCli>(nullptr);
  HttpCli1->NoCache = true;
  PageFetch = std::make_unique<TPageFetch>(*HttpCli1);
  TCyclePorts ports;
  ports.FetchPage = [this](const std::string& url) { return GetHTTPFile(url); };
  ports.StartLookup = [this](const std::string& entry) { return LookUpStaticEntry(entry); };
  ports.TakeIntranetAddress = [this](const std::string& address) { SaveIntranetAddress(address); };
  ports.Show = [this](const TCycleEnd& end) { ShowOutcome(end); };
  ports.Report = [this] { Errors.ReportException(); };
  ports.Rest = [this] {
    try {
      StartTimer();
    } catch (...) {
      Errors.ReportException();
    }
  };
  Cycle = std::make_unique<TWatchCycle>(std::move(ports));
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

TWindowsClass TSettings::GetWinVersion() { return ClassifyWindows(ReadVersionRecord()); }

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
    HttpCli1->Agent = "Orvandel (Version " + GetVersion() + ")";
    SetCaption(Caption() + " " + GetVersion());
  } catch (...) {
    Errors.ReportException();
    CreateControls(*this);
    WireControls();
    return;
  }
  TStoredOptions options;
  bool loaded = false;
  bool hidden = false;
  try {
    TSettingsStore::Read(options);
    loaded = true;
    // As a click on "Hidden" would: it asks first.
    hidden = AsksForHiddenStart(::GetCommandLineA()) && AskHiddenMode();
  } catch (...) {
    Errors.ReportException();
  }
  bool located = hidden;
  try {
    if (!hidden) {
      TrayData.Fill(Handle(), Images.Image(TStateImage::Searching), "Orvandel");
      TrayData.Add();
      located = true;
    }
  } catch (...) {
    Errors.ReportException();
  }
  CreateControls(*this);
  WireControls();
  ControlsCreate(options, loaded, hidden);
  // "Location" tells that the start is complete, the window's values too.
  try {
    if (located) TSettingsStore::WriteLocation(hidden ? "" : "Searching");
  } catch (...) {
    Errors.ReportException();
  }
}

void TSettings::ControlsCreate(const TStoredOptions& options, bool loaded, bool hidden) {
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
    ApplyOptions(options);
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
      if (!MenuMade) {
        // Tried once: a failure must not add the items again at the next click.
        MenuMade = true;
        BuildTrayMenu(PopupMenu1, ImageList1,
                      {[this] { Options1Click(); }, [this] { Help1Click(); }, [this] { Info1Click(); },
                       [this] { Hide1Click(); }, [this] { Exit1Click(); }});
      }
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
  TrayData.Delete(Images.Image(TStateImage::Searching));
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
  Accept();
  CheckIP();
}

void TSettings::Accept() {
  Hide();
  // A registry that refuses must not leave the watch stopped: the cycle
  // runs all the same, and the error is shown after it.
  try {
    SaveSettings();
    TSettingsStore::MaintainRunEntry(CheckBox3->Checked(), CheckBox4->Checked());
  } catch (...) {
    Errors.ReportException();
  }
  try {
    if (CheckBox4->Checked()) {
      TrayData.Delete(Images.Image(TStateImage::Searching));
      TSettingsStore::WriteLocation("Searching");
    } else {
      TSettingsStore::WriteLocation("");
    }
  } catch (...) {
    Errors.ReportException();
  }
}

void TSettings::BitBtn2Click() {
  LoadSettings();
  Hide();
  // A tick while the window was open stopped the timer; a running cycle or
  // lookup starts it itself when it ends.
  if (Cycle->State() == TCycleState::Resting) StartTimer();
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
  if (AskHiddenMode()) TrayData.Delete(Images.Image(TStateImage::Searching));
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

// The options: the controls are the live settings, the store keeps them.

std::string TSettings::GetVersion() { return rtl::FileVersionText(rtl::ExecutablePath()); }

void TSettings::ApplyOptions(const TStoredOptions& o) {
  // In the order of reading: a check box set from here runs its handler as
  // a click does.
  if (o.LanIP) Edit1->SetText(*o.LanIP);
  if (o.TimeOut) SpinEdit1->SetValue(*o.TimeOut);
  if (o.NoLan) CheckBox5->SetCheckedAndClick(*o.NoLan);
  if (o.Interval) SpinEdit2->SetValue(*o.Interval);
  if (o.HTTPFile) Edit2->SetText(*o.HTTPFile);
  if (o.BeforeIP) Edit3->SetText(*o.BeforeIP);
  if (o.AfterIP) Edit4->SetText(*o.AfterIP);
  if (o.UpdateHosts) CheckBox1->SetCheckedAndClick(*o.UpdateHosts);
  if (o.UpdateFile) CheckBox2->SetCheckedAndClick(*o.UpdateFile);
  if (o.AutoRun) CheckBox3->SetCheckedAndClick(*o.AutoRun);
  if (o.FileName) Edit5->SetText(*o.FileName);
  if (o.HostName) Edit6->SetText(*o.HostName);
  if (o.StaticIP) Edit7->SetText(*o.StaticIP);
  if (o.FromFile) RadioButton1->SetChecked(*o.FromFile);
  if (o.FromStatic) RadioButton2->SetChecked(*o.FromStatic);
}

TStoredOptions TSettings::OptionsOfControls() const {
  TStoredOptions o;
  o.LanIP = Edit1->Text();
  o.TimeOut = SpinEdit1->Value();
  o.NoLan = CheckBox5->Checked();
  o.Interval = SpinEdit2->Value();
  o.HTTPFile = Edit2->Text();
  o.BeforeIP = Edit3->Text();
  o.AfterIP = Edit4->Text();
  o.UpdateHosts = CheckBox1->Checked();
  o.UpdateFile = CheckBox2->Checked();
  o.AutoRun = CheckBox3->Checked();
  o.FileName = Edit5->Text();
  o.HostName = Edit6->Text();
  o.StaticIP = Edit7->Text();
  o.FromFile = RadioButton1->Checked();
  o.FromStatic = RadioButton2->Checked();
  return o;
}

void TSettings::LoadSettings() {
  TStoredOptions options;
  try {
    TSettingsStore::Read(options);
  } catch (...) {
    ApplyOptions(options);
    throw;
  }
  ApplyOptions(options);
  UpdateControls();
  if (AsksForHiddenStart(::GetCommandLineA())) CheckBox4->SetCheckedAndClick(true);
  ShowIfNewVersion();
}

void TSettings::ShowIfNewVersion() {
  if (!TSettingsStore::TakeNewVersion(GetVersion())) return;
  Show();
  BringToFront();
}

void TSettings::SaveSettings() { TSettingsStore::Save(OptionsOfControls()); }

// The watch cycle, on the window's side: it starts the cycle with the
// controls' values, lends it the page fetch and the lookup, shows its
// outcome and starts the timer again.

TWatchSettings TSettings::WatchSettings() const {
  TWatchSettings s;
  s.IntranetCheck = !CheckBox5->Checked();
  s.IntranetField = Edit1->Text();
  s.PingTimeout = SpinEdit1->Value();
  s.FromPage = RadioButton1->Checked();
  s.Url = Edit2->Text();
  s.BeforeIP = Edit3->Text();
  s.AfterIP = Edit4->Text();
  s.StaticEntry = Edit7->Text();
  // A missing hosts file leaves its option off for the whole run.
  s.Publish.UpdateHosts = CheckBox1->Enabled() && CheckBox1->Checked();
  s.Publish.HostName = Edit6->Text();
  s.Publish.UpdateFile = CheckBox2->Checked();
  s.Publish.FileName = Edit5->Text();
  return s;
}

void TSettings::Timer1Timer() {
  Timer1->SetEnabled(false);
  // While the window is open the timer rests; OK runs a cycle and starts it.
  if (Visible()) return;
  if (Cycle->Running()) return;
  CheckIP();
}

void TSettings::CheckIP() {
  // A cycle run by OK or at start may find the timer running; a tick must
  // not start a second cycle while this one waits in the fetch.
  Timer1->SetEnabled(false);
  Cycle->Run(WatchSettings());
  if (!Cycle->Running()) Errors.PostIfWaiting();
}

std::string TSettings::GetHTTPFile(const std::string& url) {
  std::string memo;
  StreamToMemo(memo, PageFetch->Get(url, Proxy ? Proxy->Settings() : TProxySettings()));
  return memo;
}

void TSettings::StreamToMemo(std::string& memo, const std::string& bytes) { AppendPageLines(memo, bytes); }

std::string TSettings::LookUpStaticEntry(const std::string& entry) {
  TPing& ping = EchoComponent();
  ping.DnsLookup(entry);
  // Set only when a dotted entry ended inside the call.
  return ping.DnsResult();
}

void TSettings::Ping1DnsLookupDone(TPing& sender, std::uint16_t) { Cycle->LookupDone(sender.DnsResult()); }

void TSettings::SaveIntranetAddress(const std::string& address) {
  // A name becomes its address and is saved, as OK saves it.
  Edit1->SetText(address);
  Accept();
}

void TSettings::ShowOutcome(const TCycleEnd& end) {
  TrayData.Fill(Handle(), Images.Image(end.View.Image), end.View.Tip);
  if (Infos) Infos->SetState(end.View.State);
  TSettingsStore::WriteLocation(end.View.Location);
  TrayData.Modify();
}

void TSettings::StartTimer() {
  Timer1->SetInterval(static_cast<unsigned>(SpinEdit2->Value()) * 1000u);
  Timer1->SetEnabled(true);
}

void TSettings::EndWatch() {
  // The dialogs may be gone already, and so may members after Ping1: a
  // lookup cancelled now must not end a cycle on them.
  if (Ping1) Ping1->OnDnsLookupDone = nullptr;
  if (Cycle) Cycle->Stop();
  if (Timer1) Timer1->SetEnabled(false);
}

void TSettings::Edit1Exit() {
  const std::string text = Edit1->Text();
  if (text.empty()) return;
  TPing& ping = EchoComponent();
  ping.SetAddress(text);
  if (ping.Ping() == 1 && !ping.HostName().empty() && ping.HostName() != ping.HostIP())
    Edit6->SetText(ping.HostName());
}

void TSettings::WarnAboutHostName() {
  if (!CheckBox1->Enabled() || !CheckBox1->Checked()) return;
  const std::string hostName = Edit6->Text();
  if (hostName.empty() || IsAcceptableHostName(hostName)) return;
  rtl::MessageDlg(ChooseText("The host name must not contain blanks, \"#\", tabs or line breaks. "
                             "The hosts file is not updated until it is corrected.",
                             "Der Hostname darf keine Leerzeichen, \"#\", Tabulatoren oder Zeilenumbrüche "
                             "enthalten. Die hosts-Datei wird erst nach der Korrektur aktualisiert."),
                  rtl::TMsgDlgType::Warning, rtl::mbOK);
}
