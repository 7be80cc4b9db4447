// The settings window's watch cycle: the intranet ping, the address from a
// page or a name lookup, and the outcome in the registry, the tray and the
// info dialog.

#include <windows.h>

#include "common/Lang.h"
#include "common/core/Country.h"
#include "rtl/core/Exceptions.h"
#include "rtl/win32/Application.h"
#include "watcher/core/IpAddress.h"
#include "watcher/core/PageText.h"
#include "watcher/frmInfos.h"
#include "watcher/frmProxy.h"
#include "watcher/frmSettings.h"

namespace {

constexpr int kFetchAttempts = 4;
constexpr DWORD kFetchRetryWait = 1000;
constexpr int kPingAttempts = 4;
// A hostile page can neither fill the memory nor hold the watch for long.
constexpr std::int64_t kPageLimit = 1024 * 1024;
constexpr int kFetchTimeLimit = 30000;
// A lookup that the resolver leaves waiting longer ends as a failed one.
constexpr unsigned kLookupTimeLimit = 30000;

}  // namespace

void TSettings::Timer1Timer() {
  Timer1->SetEnabled(false);
  // While the window is open the timer rests; OK runs a cycle and starts it.
  if (Visible()) return;
  if (CheckRunning) return;
  CheckIP();
}

void TSettings::CheckIP() {
  // A cycle run by OK or at start may find the timer running; a tick must
  // not start a second cycle while this one waits in Get. The nested cycle
  // of the intranet check runs inside this one.
  Timer1->SetEnabled(false);
  // From here on the end of a lookup that an earlier cycle started
  // changes nothing.
  if (++FCycle == 0) ++FCycle;
  const bool outer = CheckRunning;
  CheckRunning = true;
  try {
    RunCheck();
  } catch (...) {
    // A lookup that could not start will never end the cycle.
    EndLookupWait();
    StartTimer();
    Errors.ReportException();
  }
  CheckRunning = outer;
  if (!outer) Errors.PostIfWaiting();
}

void TSettings::RunCheck() {
  const int replies = CheckBox5->Checked() ? 0 : CheckIntranet();
  TOutcome outcome = TOutcome::Home;
  if (replies == 0 && RadioButton1->Checked()) {
    outcome = CheckPage();
  } else if (replies == 0) {
    const std::string entry = Edit7->Text();
    // Nothing to look up is a failed lookup, not an error.
    if (entry.empty()) {
      outcome = TOutcome::LookupFailed;
    } else {
      FLookupCycle = FCycle;
      StartLookupLimit();
      EchoComponent().DnsLookup(entry);
      // Ends the cycle unless the entry was dotted: then the handler has
      // already run inside the call, and the cycle goes on.
      if (AwaitingLookup()) return;
      outcome = TOutcome::PageAddress;
    }
  }
  ShowOutcome(outcome);
  Finish();
}

int TSettings::CheckIntranet() {
  // An empty field names no machine; pinging it would find this one.
  if (Edit1->Text().empty()) return 0;
  TPing ping(nullptr);
  ping.SetAddress(Edit1->Text());
  ping.SetTimeout(SpinEdit1->Value());
  int replies = 0;
  for (int attempt = 0; attempt < kPingAttempts; ++attempt) {
    replies = ping.Ping();
    if (replies != 1) continue;
    CurrentIP = ping.HostIP();
    if (Edit1->Text() != CurrentIP) {
      // A name becomes its address, is saved, and a nested cycle runs.
      Edit1->SetText(CurrentIP);
      BitBtn1Click();
    }
    break;
  }
  return replies;
}

TOutcome TSettings::CheckPage() {
  const std::string url = Edit2->Text();
  std::string page = url.empty() ? std::string() : GetHTTPFile(url);
  if (!page.empty()) page = CutBetweenMarkers(page, Edit3->Text(), Edit4->Text());
  TOutcome outcome = TOutcome::PageAddress;
  std::string dotted;
  if (page.empty())
    outcome = TOutcome::NoPageText;
  else if (CanonicalAddress(page, dotted))
    CurrentIP = dotted;
  else
    outcome = TOutcome::InvalidAddress;
  if (outcome != TOutcome::PageAddress) {
    // An error keeps the address published last.
    if (!PublishedIP.empty())
      CurrentIP = PublishedIP;
    else if (!CheckBox5->Checked())
      CurrentIP = Edit1->Text();
    else
      CurrentIP.clear();
  }
  return outcome;
}

std::string TSettings::GetHTTPFile(const std::string& url) {
  Memo1.clear();
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    if (attempt > 0) ::Sleep(kFetchRetryWait);
    // OK can run a cycle while another one waits in Get: the client is
    // busy, and its stream and URL belong to that request.
    if (HttpCli1->State() != hsReady) continue;
    // A fresh stream each time: a failed attempt's bytes never stand
    // before the next attempt's page.
    rtl::TMemoryStream stream;
    bool fetched = false, quitting = false;
    try {
      ApplyProxy();
      HttpCli1->URL = url;
      HttpCli1->ReceiveStream = &stream;
      HttpCli1->BodyLimit = kPageLimit;
      HttpCli1->Timeout = kFetchTimeLimit;
      HttpCli1->Get();
      fetched = true;
    } catch (const EHttpException&) {
      // The exception carries the status (404 for every local failure);
      // the reason is the client's own error number.
      quitting = HttpCli1->DoneError() == httpErrorQuit;
    } catch (const std::exception&) {
      // A failed attempt.
    }
    HttpCli1->ReceiveStream = nullptr;
    // The program is ending: no more attempts, and no outcome.
    if (quitting) rtl::Abort();
    if (fetched) {
      StreamToMemo(Memo1, stream);
      break;
    }
  }
  return JoinLines(Memo1);
}

void TSettings::StreamToMemo(std::vector<std::string>& memo, rtl::TMemoryStream& stream) {
  for (std::string& line : SplitLines(stream.ToString())) memo.push_back(std::move(line));
}

void TSettings::ApplyProxy() {
  const TProxySettings proxy = Proxy ? Proxy->Settings() : TProxySettings();
  if (proxy.Enabled) {
    HttpCli1->Proxy = proxy.Host;
    HttpCli1->ProxyPort = proxy.Port;
    HttpCli1->ProxyUsername = proxy.Username;
    HttpCli1->ProxyPassword = proxy.Password;
  } else {
    HttpCli1->Proxy.clear();
    HttpCli1->ProxyPort = "80";
    HttpCli1->ProxyUsername.clear();
    HttpCli1->ProxyPassword.clear();
  }
}

void TSettings::Ping1DnsLookupDone(TPing& sender, std::uint16_t) {
  if (!AwaitingLookup()) return;
  if (sender.DnsResult().empty()) {
    FinishLookup(TOutcome::LookupFailed);
    return;
  }
  CurrentIP = sender.DnsResult();
  FinishLookup(TOutcome::LookupAddress);
}

bool TSettings::AwaitingLookup() const { return FLookupCycle != 0 && FLookupCycle == FCycle; }

void TSettings::StartLookupLimit() {
  LookupLimit->SetEnabled(false);
  LookupLimit->SetInterval(kLookupTimeLimit);
  LookupLimit->SetEnabled(true);
}

void TSettings::EndLookupWait() {
  FLookupCycle = 0;
  LookupLimit->SetEnabled(false);
}

void TSettings::FinishLookup(TOutcome outcome) {
  // The limit's tick comes after the lookup has ended or been left.
  if (!AwaitingLookup()) {
    LookupLimit->SetEnabled(false);
    return;
  }
  EndLookupWait();
  // Comes from the echo component's window, from inside DnsLookup or from
  // the limit's timer: an error must neither reach them nor skip the timer.
  try {
    ShowOutcome(outcome);
    Finish();
  } catch (...) {
    StartTimer();
    Errors.ReportException();
  }
}

void TSettings::EndWatch() {
  // The dialogs may be gone already, and so may members after Ping1: a
  // lookup cancelled now must not finish a cycle on them.
  if (Ping1) Ping1->OnDnsLookupDone = nullptr;
  FLookupCycle = 0;
  if (LookupLimit) LookupLimit->SetEnabled(false);
  if (Timer1) Timer1->SetEnabled(false);
}

void TSettings::ShowOutcome(TOutcome outcome) {
  const bool german = IsGermanCountry(GetCountryCode());
  FOutcome = ViewOf(outcome, !CheckBox5->Checked(), CurrentIP, german);
  TrayData.Fill(Handle(), Images.Image(FOutcome.Image), FOutcome.Tip);
  if (Infos) Infos->SetState(FOutcome.State);
}

void TSettings::Finish() {
  WriteLocation(FOutcome.Location);
  TrayData.Modify();
  if (PublishedIP != CurrentIP) {
    // Set first: a failed write is not repeated until the address changes.
    PublishedIP = CurrentIP;
    UpdateIP();
  }
  StartTimer();
}

void TSettings::StartTimer() {
  Timer1->SetInterval(static_cast<unsigned>(SpinEdit2->Value()) * 1000u);
  Timer1->SetEnabled(true);
}

void TSettings::Edit1Exit() {
  const std::string text = Edit1->Text();
  if (text.empty()) return;
  TPing& ping = EchoComponent();
  ping.SetAddress(text);
  if (ping.Ping() == 1 && !ping.HostName().empty() && ping.HostName() != ping.HostIP())
    Edit6->SetText(ping.HostName());
}
