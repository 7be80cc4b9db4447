#include "watcher/ErrorBox.h"

#include "rtl/win32/Application.h"

namespace {

// Different errors that wait while a box is open; more are dropped, since
// a person who has not read these will not read the next either.
constexpr std::size_t kWaitingLimit = 4;

}  // namespace

void TErrorBox::Report(const std::string& text) {
  if (FOpen && text == FShown) return;
  for (const std::string& waiting : FWaiting)
    if (waiting == text) return;
  if (FWaiting.size() >= kWaitingLimit) return;
  FWaiting.push_back(text);
  PostIfWaiting();
}

void TErrorBox::ReportException() noexcept {
  std::string text;
  if (!rtl::TApplication::CurrentExceptionText(text)) return;
  try {
    Report(text);
  } catch (const std::exception&) {
    // No memory to note it: the outcome in the tray still tells.
  }
}

void TErrorBox::PostIfWaiting() {
  if (FWaiting.empty() || FPosted) return;
  FPosted = FPost();
}

void TErrorBox::ShowWaiting() {
  FPosted = false;
  // The box already open goes on to the next text when it is closed; a
  // cycle that runs asks again when it ends.
  if (FOpen || FBusy()) return;
  while (!FWaiting.empty()) {
    FShown = FWaiting.front();
    FWaiting.pop_front();
    FOpen = true;
    rtl::Application().ShowException(FShown);
    FOpen = false;
  }
}
