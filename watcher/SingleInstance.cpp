#include "watcher/SingleInstance.h"

#include "watcher/WatcherControlIds.h"

namespace {

HWND FindRunningInstance() { return ::FindWindowA("TApplication", "Orvandel"); }

}  // namespace

TSingleInstance::TSingleInstance() {
  FMutex.Reset(::CreateMutexA(nullptr, FALSE, kInstanceMutexName));
  FFirst = FMutex && ::GetLastError() != ERROR_ALREADY_EXISTS;
}

bool TSingleInstance::AnotherIsRunning() {
  HWND running = FindRunningInstance();
  if (!running && !FFirst) {
    // Started at the same moment as the other, which holds the mutex but
    // may not have titled its window yet: give it a moment to appear.
    for (int i = 0; i < 50 && !running; ++i) {
      ::Sleep(100);
      running = FindRunningInstance();
    }
  }
  if (running) {
    if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
    else ::SetForegroundWindow(running);
    return true;
  }
  // Without a mutex of our own (the system refused the name) the window
  // test alone decides, as it did before.
  return FMutex && !FFirst;
}
