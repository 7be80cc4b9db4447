#pragma once
// A timer component: OnTimer fires every Interval milliseconds while it is
// enabled. The ticks arrive as WM_TIMER on a message-only window of the
// timer's own, so they come from the message loop of the thread that made
// the timer, never from inside another call.

#include <functional>
#include <memory>

#include "rtl/core/Component.h"

namespace rtl {

class THiddenWindow;

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner = nullptr);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return FInterval; }
  // Restarts the count when the timer runs. 0 stops the ticks.
  void SetInterval(unsigned milliseconds);
  // Runs while Enabled, Interval > 0 and OnTimer is set; call after
  // assigning OnTimer to a running timer.
  void SetOnTimer(std::function<void()> handler);

private:
  void UpdateTimer();
  void Tick();

  std::unique_ptr<THiddenWindow> FWindow;
  std::function<void()> FOnTimer;
  unsigned FInterval = 1000;
  bool FEnabled = true;
};

}  // namespace rtl
