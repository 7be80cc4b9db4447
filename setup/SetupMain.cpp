// The setup runtime's entry: the installer window, then its info dialog,
// then the message loop until the window closes; or, started with "/S", an
// install without any window. The exit code says how it ended (see
// SetupExitCode).

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <optional>

#include "common/Lang.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/core/FileLayer.h"
#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"
#include "setup/StarterConsole.h"
#include "setup/core/CommandLine.h"
#include "setup/frmInfos.h"
#include "setup/frmMain.h"

namespace {

int Code(SetupExitCode code) { return static_cast<int>(code); }

// Silent: errors go to the starter as one line, and nothing waits for a
// click.
void Report(bool silent, const std::string& text) {
  if (silent) TellStarter(text);
  else rtl::MessageDlg(text, rtl::TMsgDlgType::Error, rtl::mbOK);
}

bool gSilent = false;

// The runtime is built without exceptions: what it cannot recover from (a
// window that cannot be made, no memory left) ends here, reported the way
// every other error is, with the code of a run that could not install.
void ReportFatal(const std::string& text) {
  Report(gSilent, text);
  ::ExitProcess(static_cast<UINT>(Code(SetupExitCode::Damaged)));
}

int InstallSilently(const SetupCommandLine& options, TEarlyCheck& check) {
  TMain main(nullptr, options, check);
  if (const auto& fault = main.StartFault()) {
    Report(true, fault->Text);
    return Code(fault->Code);
  }
  if (!main.Refusal().empty()) {
    Report(true, main.Refusal());
    return Code(SetupExitCode::Damaged);
  }
  std::string error;
  const SetupExitCode outcome = main.InstallSilently(error);
  if (!error.empty()) Report(true, error);
  return Code(outcome);
}

int RunWindow(const SetupCommandLine& options, TEarlyCheck& check) {
  // Both forms live until the message loop ends and are destroyed in the
  // reverse order of their creation, the dialog before its owner window.
  TMain main(nullptr, options, check);
  if (!main.Refusal().empty()) {
    // A window would offer to install; the message alone says what is
    // wrong, and the exit code tells a caller the same.
    Report(false, main.Refusal());
    return Code(SetupExitCode::Damaged);
  }
  TInfos infos(nullptr, main.Handle());
  main.Infos = &infos;
  main.Show();
  rtl::Application().Run();
  return Code(main.ExitCode());
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else loads a DLL: a DLL planted next to a downloaded
  // setup.exe must never be picked up.
  rtl::RestrictDllSearchPath();
  rtl::SetFatalHandler(&ReportFatal);
  const SetupCommandLine options = ParseSetupCommandLine(ArgumentsOf(::GetCommandLineA()));
  gSilent = options.Silent;
  // The check of the container comes first: the window is made while it
  // hashes.
  std::optional<TEarlyCheck> check;
  if (options.ErrorEnglish.empty()) check.emplace(rtl::ExecutablePath());

  // comctl32, ole32 and shell32 are bound from here on, not imported: the
  // loader would load them before WinMain, and the check above would start
  // that much later.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  rtl::SystemFunction<decltype(&::InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx")(&controls);
  // The folder browser needs COM.
  rtl::SystemFunction<decltype(&::CoInitialize)>("ole32.dll", "CoInitialize")(nullptr);

  rtl::Application().SetTitle("Setup");
  int exitCode;
  if (!options.ErrorEnglish.empty()) {
    Report(options.Silent, ChooseText(options.ErrorEnglish, options.ErrorGerman));
    exitCode = Code(SetupExitCode::Damaged);
  } else {
    exitCode = options.Silent ? InstallSilently(options, *check) : RunWindow(options, *check);
  }
  rtl::SystemFunction<decltype(&::CoUninitialize)>("ole32.dll", "CoUninitialize")();
  return exitCode;
}
