#include "rtl/win32/Timer.h"

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/HiddenWindow.h"

namespace rtl {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner)
    : TComponent(owner),
      FWindow(std::make_unique<THiddenWindow>("OrvTimerWindow", WM_TIMER, WM_TIMER, [this](UINT, WPARAM id, LPARAM) {
        if (id == kTimerId) Tick();
        return LRESULT{0};
      })) {}

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
