#include "watcher/core/CycleRules.h"

#include "watcher/core/PageText.h"

TPingStep AfterPing(int attempt, int replies, const std::string& field, const std::string& answered) {
  if (replies == 1) return field == answered ? TPingStep::Home : TPingStep::Rename;
  return attempt + 1 < kPingAttempts ? TPingStep::Again : TPingStep::NoAnswer;
}

TOutcome PageOutcome(const std::string& page, const std::string& before, const std::string& after, TAddress& found) {
  const std::string candidate = CutBetweenMarkers(page, before, after);
  if (candidate.empty()) return TOutcome::NoPageText;
  const TAddress read = ReadAddress(candidate);
  if (read.Dotted.empty()) return TOutcome::InvalidAddress;
  found = {read.Dotted, read.Dotted};
  return TOutcome::PageAddress;
}

TAddress OutcomeAddress(TOutcome outcome, const TAddress& found, const TAddress& published, bool intranetCheck,
                        const std::string& intranetField) {
  switch (outcome) {
    case TOutcome::Home:
    case TOutcome::PageAddress:
    case TOutcome::LookupAddress:
      return found;
    case TOutcome::LookupFailed:
      return published;
    case TOutcome::NoPageText:
    case TOutcome::InvalidAddress:
      break;
  }
  if (!published.Text.empty()) return published;
  if (intranetCheck) return ReadAddress(intranetField);
  return TAddress();
}
