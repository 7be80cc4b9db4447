#include "watcher/core/WatchOutcome.h"

#include "watcher/core/TrayTip.h"

namespace {

std::string Tip(const std::string& text) { return "Orvandel (" + text + ")"; }

}  // namespace

TOutcomeView ViewOf(TOutcome outcome, bool intranetChecked, const std::string& address, bool german) {
  TOutcomeView view;
  switch (outcome) {
    case TOutcome::Home:
      view = {"Home", TStateImage::Home, TWatchState::Home, Tip("Intranet")};
      break;
    case TOutcome::PageAddress:
      view = {intranetChecked ? "Web" : "OnlyWeb", TStateImage::Web, TWatchState::Web, Tip(address)};
      break;
    case TOutcome::LookupAddress:
      view = {intranetChecked ? "Web" : "WebOnly", TStateImage::Web, TWatchState::Web, Tip(address)};
      break;
    case TOutcome::NoPageText:
      view = {"Error", TStateImage::Error, TWatchState::Error, Tip(german ? "Fehler" : "Error")};
      break;
    case TOutcome::InvalidAddress:
      view = {"Error IP", TStateImage::Error, TWatchState::Error,
              Tip(german ? "Fehler - ungültige IP" : "Error - IP not valid")};
      break;
    case TOutcome::LookupFailed:
      view = {"Error", TStateImage::Error, TWatchState::Error,
              Tip(german ? "Fehler - IP antwortet nicht" : "Error - IP not responding")};
      break;
  }
  if (view.Tip.size() > kTrayTipRoom - 1) view.Tip.resize(kTrayTipRoom - 1);
  return view;
}
