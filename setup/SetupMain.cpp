// The setup runtime's entry: the installer window, then its info dialog,
// then the message loop until the window closes.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/Shell.h"
#include "setup/frmInfos.h"
#include "setup/frmMain.h"

namespace {

// The installer's own file is damaged: no window was opened.
constexpr int kExitDamaged = 2;

}  // namespace

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
    if (main.Container() == ContainerState::Damaged) {
      // A window would offer to install from it; the message alone says
      // what is wrong, and the exit code tells a caller the same.
      rtl::MessageDlg(main.DamageText(), rtl::TMsgDlgType::Error, rtl::mbOK);
      exitCode = kExitDamaged;
    } else {
      TInfos infos(nullptr, main.Handle());
      main.Infos = &infos;
      main.Show();
      application.Run();
    }
  } catch (...) {
    application.HandleException();
    exitCode = 1;
  }
  ::CoUninitialize();
  return exitCode;
}
