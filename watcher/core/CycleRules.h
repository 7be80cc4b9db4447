#pragma once
// The rules of a watch cycle that need no window: the attempts of the
// intranet ping with the nested cycle after a host name in its field, and
// the address that an outcome carries.

#include <string>

#include "watcher/core/IpAddress.h"
#include "watcher/core/WatchOutcome.h"

constexpr int kPingAttempts = 4;

// What follows one ping of the intranet machine.
enum class TPingStep {
  Again,     // no single answer yet: ping once more
  NoAnswer,  // the last attempt went unanswered: on to the Internet check
  Home,      // the machine answered under the field's own text
  // It answered under another text (a host name): the field becomes the
  // address it answered with and is saved, a nested cycle runs with it,
  // and then this cycle ends Home as well.
  Rename,
};

// Attempt counts from 0; Answered is the address the machine answered with.
TPingStep AfterPing(int attempt, int replies, const std::string& field, const std::string& answered);

// The outcome of a fetched page (each line followed by CR LF; empty when
// none came): cut between the markers, the rest must be an address. Found
// then holds its canonical form; this is the one check of a page's address.
TOutcome PageOutcome(const std::string& page, const std::string& before, const std::string& after, TAddress& found);

// The address that an outcome carries. Home, page and lookup addresses
// carry what the cycle found. An error of the page keeps the address
// published last; before anything was published, the intranet field's
// text when the intranet check is on (a name too: the text file shows it,
// the hosts file takes only a dotted address), else nothing. A failed
// lookup keeps the address published last.
TAddress OutcomeAddress(TOutcome outcome, const TAddress& found, const TAddress& published, bool intranetCheck,
                        const std::string& intranetField);
