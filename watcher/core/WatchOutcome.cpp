#include "watcher/core/WatchOutcome.h"

#include "watcher/core/TrayTip.h"

namespace {

std::string Tip(const std::string& text) { return "Orvandel (" + text + ")"; }

}  // namespace

TOutcomeView ViewOf(TOutcome outcome, bool intranetChecked, const std::string& address, bool german) {
  TOutcomeView view;
  switch (outcome) {
    case TOutcome::Home:
      view = {"Home", 2, TWatchState::Home, Tip("Intranet")};
      break;
    case TOutcome::PageAddress:
      view = {intranetChecked ? "Web" : "OnlyWeb", 3, TWatchState::Web, Tip(address)};
      break;
    case TOutcome::LookupAddress:
      view = {intranetChecked ? "Web" : "WebOnly", 3, TWatchState::Web, Tip(address)};
      break;
    case TOutcome::NoPageText:
      view = {"Error", 4, TWatchState::Error, Tip(german ? "Fehler" : "Error")};
      break;
    case TOutcome::InvalidAddress:
      view = {"Error IP", 4, TWatchState::Error,
              Tip(german ? "Fehler - ungültige IP" : "Error - IP not valid")};
      break;
    case TOutcome::LookupFailed:
      view = {"Error", 4, TWatchState::Error,
              Tip(german ? "Fehler - IP antwortet nicht" : "Error - IP not responding")};
      break;
  }
  if (view.Tip.size() > kTrayTipRoom - 1) view.Tip.resize(kTrayTipRoom - 1);
  return view;
}
