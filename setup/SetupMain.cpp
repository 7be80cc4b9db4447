// The setup runtime's entry: the installer window, then its info dialog,
// then the message loop until the window closes.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "rtl/win32/Application.h"
#include "rtl/win32/Shell.h"
#include "setup/frmInfos.h"
#include "setup/frmMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else loads a DLL: a DLL planted next to a downloaded
  // setup.exe must never be picked up.
  rtl::RestrictDllSearchPath();

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  ::CoInitialize(nullptr);  // the folder browser needs COM

  rtl::TApplication& application = rtl::Application();
  application.SetTitle("Setup");
  int exitCode = 0;
  try {
    // Both forms live until the message loop ends and are destroyed in the
    // reverse order of their creation, the dialog before its owner window.
    TMain main(nullptr);
    TInfos infos(nullptr, main.Handle());
    main.Infos = &infos;
    main.Show();
    application.Run();
  } catch (...) {
    application.HandleException();
    exitCode = 1;
  }
  ::CoUninitialize();
  return exitCode;
}
