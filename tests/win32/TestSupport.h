#pragma once
// Helpers of the Win32 tests: pumping the message loop until something
// happened, and the text of a socket error.

#include <windows.h>

#include <functional>
#include <string>

#include "net/core/SocketException.h"
#include "rtl/win32/Application.h"

// Handles messages until Done holds or Milliseconds have passed.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000) {
  return rtl::WaitForMessages(done, static_cast<DWORD>(milliseconds)) == rtl::TWaitResult::Done;
}

inline void Pump(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// The message of the ESocketException that Action raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ESocketException& e) {
    return e.Message();
  }
  return "(no error)";
}
