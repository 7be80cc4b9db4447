#include "watcher/WatchCycle.h"

#include "common/Lang.h"
#include "common/core/Country.h"
#include "net/Ping.h"
#include "watcher/Publisher.h"

namespace {

// A lookup that the resolver leaves waiting longer ends as a failed one.
constexpr unsigned kLookupTimeLimit = 30000;

}  // namespace

TWatchCycle::TWatchCycle(TCyclePorts ports)
    : FPorts(std::move(ports)), FLookupLimit(std::make_unique<rtl::TTimer>(nullptr)) {
  FLookupLimit->SetEnabled(false);
  FLookupLimit->SetInterval(kLookupTimeLimit);
  FLookupLimit->SetOnTimer([this] { LookupDone(std::string()); });
}

void TWatchCycle::Run(const TWatchSettings& settings) {
  if (FState == TCycleState::Stopped) return;
  if (FState == TCycleState::LookingUp) LeaveLookup();
  const TCycleState beneath = FState;
  try {
    Check(settings, beneath);
  } catch (...) {
    // A lookup that could not start will never end the cycle.
    if (FState == TCycleState::LookingUp) LeaveLookup();
    End(beneath, nullptr, settings);
  }
}

void TWatchCycle::Check(const TWatchSettings& settings, TCycleState beneath) {
  FState = TCycleState::Pinging;
  // An empty field names no machine; pinging it would find this one.
  if (settings.IntranetCheck && !settings.IntranetField.empty()) {
    std::string answered;
    if (PingIntranet(settings, answered)) {
      Finish(beneath, TOutcome::Home, ReadAddress(answered), settings);
      return;
    }
  }
  if (!settings.FromPage) {
    LookUp(settings, beneath);
    return;
  }
  FState = TCycleState::Fetching;
  const std::string page = settings.Url.empty() ? std::string() : FPorts.FetchPage(settings.Url);
  TAddress found;
  const TOutcome outcome = PageOutcome(page, settings.BeforeIP, settings.AfterIP, found);
  Finish(beneath, outcome, found, settings);
}

bool TWatchCycle::PingIntranet(const TWatchSettings& settings, std::string& answered) {
  TPing ping(nullptr);
  ping.SetAddress(settings.IntranetField);
  ping.SetTimeout(settings.PingTimeout);
  for (int attempt = 0;; ++attempt) {
    const int replies = ping.Ping();
    switch (AfterPing(attempt, replies, settings.IntranetField, ping.HostIP())) {
      case TPingStep::Again:
        continue;
      case TPingStep::NoAnswer:
        return false;
      case TPingStep::Home:
        answered = ping.HostIP();
        return true;
      case TPingStep::Rename: {
        answered = ping.HostIP();
        FPorts.TakeIntranetAddress(answered);
        TWatchSettings renamed = settings;
        renamed.IntranetField = answered;
        Run(renamed);
        return true;
      }
    }
  }
}

void TWatchCycle::LookUp(const TWatchSettings& settings, TCycleState beneath) {
  // Nothing to look up is a failed lookup, not an error.
  if (settings.StaticEntry.empty()) {
    Finish(beneath, TOutcome::LookupFailed, TAddress(), settings);
    return;
  }
  if (++FLookups == 0) ++FLookups;
  const unsigned number = FLookups;
  FWait = {number, beneath, settings};
  FState = TCycleState::LookingUp;
  FLookupLimit->SetEnabled(false);
  FLookupLimit->SetEnabled(true);
  const std::string answer = FPorts.StartLookup(settings.StaticEntry);
  if (FState == TCycleState::LookingUp && FWait.Number == number) return;
  // A dotted entry ended inside the call: its end has shown the lookup's
  // outcome, and the cycle goes on with its own.
  Finish(beneath, TOutcome::PageAddress, ReadAddress(answer), settings);
}

void TWatchCycle::LookupDone(const std::string& result) {
  if (FState != TCycleState::LookingUp) return;
  const TLookupWait wait = FWait;
  LeaveLookup();
  // Comes from the echo component's window, from inside StartLookup or from
  // the limit's timer: an error must neither reach them nor skip the end.
  try {
    Finish(wait.Beneath, result.empty() ? TOutcome::LookupFailed : TOutcome::LookupAddress, ReadAddress(result),
           wait.Settings);
  } catch (...) {
    End(wait.Beneath, nullptr, wait.Settings);
  }
}

void TWatchCycle::LeaveLookup() {
  FLookupLimit->SetEnabled(false);
  FWait = TLookupWait();
  FState = TCycleState::Resting;
}

void TWatchCycle::Finish(TCycleState beneath, TOutcome outcome, const TAddress& found,
                         const TWatchSettings& settings) {
  TCycleEnd end;
  end.Outcome = outcome;
  end.Address = OutcomeAddress(outcome, found, FPublished, settings.IntranetCheck, settings.IntranetField);
  end.View = ViewOf(outcome, settings.IntranetCheck, end.Address.Text, IsGermanCountry(GetCountryCode()));
  End(beneath, &end, settings);
}

void TWatchCycle::End(TCycleState beneath, const TCycleEnd* end, const TWatchSettings& settings) {
  if (FState == TCycleState::Stopped) return;
  // An outer cycle that ends leaves the lookup that its nested one started.
  if (FState == TCycleState::LookingUp) LeaveLookup();
  FState = beneath;
  if (end) {
    try {
      FPorts.Show(*end);
      // An error outcome mostly keeps the published address: nothing new.
      if (FPublished.Text != end->Address.Text) {
        // Set first: a failed write is not repeated until the address changes.
        FPublished = end->Address;
        UpdateIP(end->Address, settings.Publish, FPorts.Report);
      }
    } catch (...) {
      FPorts.Report();
    }
  } else {
    FPorts.Report();
  }
  FPorts.Rest();
}

void TWatchCycle::Stop() {
  FLookupLimit->SetEnabled(false);
  FState = TCycleState::Stopped;
}
