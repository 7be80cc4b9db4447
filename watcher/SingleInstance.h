#pragma once
// One watcher per user session: a named mutex held for the life of the
// process, and the running instance's application window to hand over to.

#include <windows.h>

#include "rtl/win32/Handles.h"

class TSingleInstance {
public:
  TSingleInstance();
  // True when another watcher runs (or is starting) in this session. Its
  // application window, once found, is restored or brought to the front.
  bool AnotherIsRunning();

private:
  rtl::KernelHandle FMutex;
  bool FFirst = false;
};
