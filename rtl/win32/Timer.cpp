#include "rtl/win32/Timer.h"

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Window.h"

namespace rtl {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

class TTimer::TTimerWindow : public TWindow {
public:
  explicit TTimerWindow(TTimer& owner) : FOwner(owner) { CreateMessageHandle("OrvTimerWindow"); }

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kTimerId) {
      FOwner.Tick();
      return 0;
    }
    return DefaultHandler(message, wParam, lParam);
  }

private:
  TTimer& FOwner;
};

TTimer::TTimer(TComponent* owner) : TComponent(owner), FWindow(new TTimerWindow(*this)) {}

TTimer::~TTimer() {
  if (FWindow && FWindow->HandleAllocated()) ::KillTimer(FWindow->Handle(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned milliseconds) {
  if (milliseconds == FInterval) return;
  FInterval = milliseconds;
  UpdateTimer();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  HWND window = FWindow->Handle();
  ::KillTimer(window, kTimerId);
  if (FEnabled && FInterval > 0 && FOnTimer && !::SetTimer(window, kTimerId, FInterval, nullptr))
    throw Exception(Format("The timer cannot be started (%lu)", static_cast<unsigned long>(::GetLastError())));
}

void TTimer::Tick() {
  // The handler may free this timer (a click that closes the form): run a
  // copy, and touch no member afterwards.
  std::function<void()> handler = FOnTimer;
  if (handler) handler();
}

}  // namespace rtl
