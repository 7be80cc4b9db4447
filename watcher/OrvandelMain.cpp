// The watcher's entry: single-instance test, the settings window, the proxy
// and info dialogs, the first check, then the message loop until the end.

#include <windows.h>

#include "rtl/win32/Application.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/SingleInstance.h"
#include "watcher/frmInfos.h"
#include "watcher/frmProxy.h"
#include "watcher/frmSettings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else loads a DLL: a DLL planted beside the program must
  // never be picked up.
  rtl::RestrictDllSearchPath();

  rtl::TApplication& application = rtl::Application();
  int exitCode = 0;
  try {
    // The application window exists untitled until the test has passed, so
    // that this process never finds itself.
    application.CreateHandle();
    TSingleInstance instance;
    if (instance.AnotherIsRunning()) return 0;
    application.SetTitle("Orvandel");

    rtl::TComponent root(nullptr);
    TSettings settings(&root);
    TProxy proxy(&root, settings.Handle());
    TInfos infos(&root, settings.Handle());
    settings.Proxy = &proxy;
    settings.Infos = &infos;
    if (!settings.Visible()) settings.CheckIP();
    application.Run();
  } catch (...) {
    application.HandleException();
    exitCode = 1;
  }
  return exitCode;
}
