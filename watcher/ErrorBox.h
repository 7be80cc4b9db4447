#pragma once
// The watcher's error display. A tray program's errors must never hold up
// the watch: an error is only noted where it happens, and shown later from
// the message loop, when no cycle waits beneath the box. At most one box is
// open at a time; a text that is open or waiting is not noted again.

#include <deque>
#include <functional>
#include <string>

class TErrorBox {
public:
  // Post asks the message loop to call ShowWaiting (true when it could);
  // Busy says that a cycle runs, which a box must not hold up.
  TErrorBox(std::function<bool()> post, std::function<bool()> busy)
      : FPost(std::move(post)), FBusy(std::move(busy)) {}

  void Report(const std::string& text);
  // Call from a catch block; the silent cancellation is not reported.
  void ReportException() noexcept;

  // When the loop gets to it: unless a cycle runs, shows the waiting
  // errors, one box after the other. Timers and lookups go on inside each.
  void ShowWaiting();
  // When a cycle ends: errors that came while it ran ask to be shown.
  void PostIfWaiting();

private:
  std::function<bool()> FPost;
  std::function<bool()> FBusy;
  std::deque<std::string> FWaiting;
  std::string FShown;
  bool FOpen = false;
  bool FPosted = false;
};
