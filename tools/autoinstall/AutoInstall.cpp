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
    LARGE_INTEGER frequency, started, shown, clicked, counted;
    ::QueryPerformanceFrequency(&frequency);
    auto seconds = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
      return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    // This program's first window search sets up its own side of the
    // window system; done before the clock starts, it does not compete
    // with the installer's start.
    FindProcessWindow(::GetCurrentProcessId(), "TMain", true);
    ::QueryPerformanceCounter(&started);
    SetupProcess setup(argv[1]);
    HWND main = setup.MainWindow(600000);
    ::QueryPerformanceCounter(&shown);
    if (!main) {
      std::fprintf(stderr, "autoinstall: the installer window did not appear\n");
      return 1;
    }
    std::printf("Installer:       %s\n", WindowText(main).c_str());
    std::printf("Proposed folder: %s\n", WindowText(setup.Control(idEdit1)).c_str());
    std::printf("Info:            %s\n", WindowText(setup.Control(idMemo1)).c_str());
    SetWindowTextTo(setup.Control(idEdit1), argv[2]);
    ::QueryPerformanceCounter(&clicked);
    setup.Click(main, idBitBtn1);
    counted = clicked;
    for (int step = 0; step < 3; ++step) {
      HWND dialog = setup.WaitForWindow(rtl::kMessageFormClass, 600000);
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
      if (question) {
        Answer(dialog, IDYES);
        ::QueryPerformanceCounter(&clicked);
        continue;
      }
      ::QueryPerformanceCounter(&counted);
      Answer(dialog, IDOK);
      break;
    }
    // Measured from outside: start to window shown, and OK (or Yes) to the
    // count message, which covers the reload's check and the copying.
    std::printf("Window shown after:  %.3f s\n", seconds(started, shown));
    std::printf("Install took:        %.3f s\n", seconds(clicked, counted));
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
