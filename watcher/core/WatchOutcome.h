#pragma once
// What a watch cycle shows for each of its outcomes: the "Location" text,
// the tray picture, the tray tip in both languages and the info dialog's
// bold state label.

#include <string>

enum class TOutcome { Home, PageAddress, LookupAddress, NoPageText, InvalidAddress, LookupFailed };

// The state labels of the info dialog.
enum class TWatchState { Home, Web, Error };

// The tray's four state pictures: a magnifying glass before the first
// outcome (and in the record that deletes the icon), a house, a globe and
// a warning sign.
enum class TStateImage { Searching, Home, Web, Error };

struct TOutcomeView {
  std::string Location;
  TStateImage Image;
  TWatchState State;
  std::string Tip;  // at most 63 characters, the room of the tray record
};

// IntranetChecked: the intranet check is switched on (it makes "Web" of
// "OnlyWeb" and "WebOnly"). Address: the address found, for the tip.
TOutcomeView ViewOf(TOutcome outcome, bool intranetChecked, const std::string& address, bool german);
