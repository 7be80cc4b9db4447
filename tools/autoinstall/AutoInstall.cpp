// autoinstall: runs an installer unattended, as a user would click through
// it: sets the target folder, presses OK, answers Yes to the creation
// question, reads the count message and confirms it. Prints what it saw.

#include <windows.h>

#include <cstdio>
#include <string>

#include "rtl/win32/Dialogs.h"
#include "setup/SetupControlIds.h"
#include "tools/driver/SetupDriver.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: autoinstall SETUP.EXE TARGET-FOLDER\n");
    return 2;
  }
  try {
    SetupProcess setup(argv[1]);
    HWND main = setup.MainWindow();
    if (!main) {
      std::fprintf(stderr, "autoinstall: the installer window did not appear\n");
      return 1;
    }
    std::printf("Installer:       %s\n", WindowText(main).c_str());
    std::printf("Proposed folder: %s\n", WindowText(setup.Control(idEdit1)).c_str());
    std::printf("Info:            %s\n", WindowText(setup.Control(idMemo1)).c_str());
    SetWindowTextTo(setup.Control(idEdit1), argv[2]);
    setup.Click(main, idBitBtn1);
    for (int step = 0; step < 3; ++step) {
      HWND dialog = setup.WaitForWindow(rtl::kMessageFormClass, 30000);
      if (!dialog) {
        if (HWND error = setup.WaitForWindow("#32770", 100)) {
          std::printf("Error:           %s\n", WindowText(::GetDlgItem(error, 0xFFFF)).c_str());
          Answer(error, IDOK);
          return 1;
        }
        break;
      }
      const std::string text = WindowText(::GetDlgItem(dialog, rtl::kMessageTextID));
      std::printf("%-16s %s\n", (WindowText(dialog) + ":").c_str(), text.c_str());
      const bool question = ::GetDlgItem(dialog, IDYES) != nullptr;
      Answer(dialog, question ? IDYES : IDOK);
      if (!question) break;
    }
    if (!setup.WaitForExit(30000)) {
      std::fprintf(stderr, "autoinstall: the installer did not finish\n");
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "autoinstall: %s\n", e.what());
    return 1;
  }
}
