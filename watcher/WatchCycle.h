#pragma once
// The watch cycle: where the machine stands, once per timer period. It
// pings the intranet machine, or finds the Internet address in a page or by
// a name lookup; it reports one outcome to the settings window, which shows
// it, hands a changed address to publishing, and lets the window start its
// timer again. The window lends it the page fetch and the lookup (its HTTP
// client and echo component) and takes the intranet field's address when a
// host name stood there.

#include <functional>
#include <memory>
#include <string>

#include "rtl/win32/Timer.h"
#include "watcher/core/CycleRules.h"
#include "watcher/core/WatchSettings.h"

// One outcome, as the window shows it.
struct TCycleEnd {
  TOutcome Outcome = TOutcome::Home;
  TAddress Address;
  TOutcomeView View;
};

// What the window does for the cycle.
struct TCyclePorts {
  // The page's text, each line followed by CR LF; empty when none came.
  std::function<std::string(const std::string& url)> FetchPage;
  // Starts the lookup of Entry, whose end comes to LookupDone. A dotted
  // entry ends inside the call; then the address found is returned.
  std::function<std::string(const std::string& entry)> StartLookup;
  // The intranet machine answered under another text than its field's:
  // the field becomes Address and the settings are saved, as OK saves them.
  std::function<void(const std::string& address)> TakeIntranetAddress;
  // Shows an outcome: the tray, the info dialog, "Location".
  std::function<void(const TCycleEnd& end)> Show;
  // Called inside the handler of an error: it is shown later.
  std::function<void()> Report;
  // A cycle has ended: the timer starts again.
  std::function<void()> Rest;
};

enum class TCycleState {
  Resting,
  Pinging,    // the intranet check; the nested cycle runs inside it
  Fetching,   // the page fetch, which keeps the messages moving
  LookingUp,  // the lookup of the static entry, under its own number
  Stopped,    // the program ends: no cycle runs and none ends any more
};

class TWatchCycle {
public:
  explicit TWatchCycle(TCyclePorts ports);

  // One cycle with Settings. It never throws. A cycle may start while another one waits in the fetch
  // (OK works then), and the nested cycle runs inside its outer one: each
  // gives back at its end the state that it found. A new cycle leaves the
  // lookup that an earlier one waits for.
  void Run(const TWatchSettings& settings);
  // The end of the awaited lookup; Result is the address found, empty when
  // none. Any other end changes nothing.
  void LookupDone(const std::string& result);
  // The end of the watch: a lookup under way is left, no cycle runs again.
  void Stop();

  TCycleState State() const { return FState; }
  // The address published last; empty before the first.
  const TAddress& Published() const { return FPublished; }
  // A cycle runs on the stack (it pings or fetches); a lookup only waits.
  bool Running() const { return FState == TCycleState::Pinging || FState == TCycleState::Fetching; }

private:
  // What the lookup's end needs of the cycle that started it.
  struct TLookupWait {
    unsigned Number = 0;
    TCycleState Beneath = TCycleState::Resting;
    TWatchSettings Settings;
  };

  void Check(const TWatchSettings& settings, TCycleState beneath);
  bool PingIntranet(const TWatchSettings& settings, std::string& answered);
  void LookUp(const TWatchSettings& settings, TCycleState beneath);
  void LeaveLookup();
  void Finish(TCycleState beneath, TOutcome outcome, const TAddress& found, const TWatchSettings& settings);
  // Where every cycle ends: with an outcome, or without one (null) inside
  // the handler of the error that ended it.
  void End(TCycleState beneath, const TCycleEnd* end, const TWatchSettings& settings);

  TCyclePorts FPorts;
  TCycleState FState = TCycleState::Resting;
  TLookupWait FWait;
  TAddress FPublished;
  unsigned FLookups = 0;
  // Ends a lookup that the resolver leaves waiting.
  std::unique_ptr<rtl::TTimer> FLookupLimit;
};
