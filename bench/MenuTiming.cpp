// Opens and closes a plain popup menu and a side-bar menu set up as the
// watcher's tray menu, alternately, and prints the time per opening of
// each. Every opening is closed as soon as the menu has painted: a message
// posted before the menu opens is handled inside the menu's loop, forces
// the pending paint and ends the menu.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "rtl/win32/Menus.h"
#include "rtl/win32/Window.h"
#include "ui/BarMenus.h"

namespace {

constexpr UINT kCloseMessage = WM_APP + 1;
constexpr int kMaxCloseTries = 10000;

class Closer : public rtl::TWindow {
public:
  Closer() { CreateHandle("OrvMenuTimingCloser", "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr); }
  void Arm() {
    FTries = 0;
    ::PostMessageA(Handle(), kCloseMessage, 0, 0);
  }
  int Failures = 0;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kCloseMessage) return TWindow::WndProc(message, wParam, lParam);
    HWND menu = rtl::TPopupMenu::OpenMenuWindow();
    if (menu) {
      ::UpdateWindow(menu);
      ::EndMenu();
    } else if (++FTries < kMaxCloseTries) {
      ::PostMessageA(Handle(), kCloseMessage, 0, 0);  // not shown yet
    } else {
      ++Failures;
      ::EndMenu();
    }
    return 0;
  }

private:
  int FTries = 0;
};

void AddItems(rtl::TPopupMenu& menu) {
  const char* captions[] = {"&Options", "-", "&Help", "&Info", "-", "Hide &Trayicon", "-", "&Exit Orvandel"};
  const int images[] = {0, -1, 1, 2, -1, 4, -1, 3};
  for (int i = 0; i < 8; ++i) {
    if (images[i] < 0)
      menu.AddSeparator();
    else
      menu.AddItem(captions[i], images[i], nullptr);
  }
}

double Now() {
  LARGE_INTEGER count, frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const int openings = commandLine && *commandLine ? std::atoi(commandLine) : 100;
  rtl::TImageList images(16, 16);
  for (LPCSTR icon : {IDI_APPLICATION, IDI_QUESTION, IDI_INFORMATION, IDI_ERROR, IDI_WARNING})
    images.AddIcon(::LoadIconA(nullptr, icon));

  rtl::TPopupMenu plain;
  plain.Images = &images;
  AddItems(plain);

  ui::TBcBarPopupMenu bar;
  bar.BeginLoading();
  bar.Images = &images;
  bar.Bar().SetGradientStart(rtl::clBtnFace);
  bar.Bar().SetGradientEnd(rtl::clWindowText);
  bar.Bar().SetWidth(25);
  bar.Bar().BarPicture().Picture().LoadFromResourceName(rtl::ModuleInstance(), "MENU_COMPUTER");
  rtl::TFont& font = bar.Bar().BarCaption().Font();
  font.SetName("Arial");
  font.SetHeight(-16);
  bar.Bar().BarCaption().SetCaption("Orvandel");
  AddItems(bar);
  bar.Loaded();

  Closer closer;
  double total[2] = {};
  for (int i = 0; i < openings; ++i) {
    for (int which = 0; which < 2; ++which) {
      rtl::TPopupMenu& menu = which == 0 ? plain : static_cast<rtl::TPopupMenu&>(bar);
      closer.Arm();
      const double start = Now();
      menu.Popup(closer.Handle(), 200, 200);
      total[which] += Now() - start;
    }
  }
  std::printf("openings: %d of each\n", openings);
  std::printf("plain menu:    %.3f ms per opening\n", total[0] / openings);
  std::printf("side-bar menu: %.3f ms per opening\n", total[1] / openings);
  std::printf("difference:    %.3f ms per opening (target: under 5 ms)\n", (total[1] - total[0]) / openings);
  if (closer.Failures) std::printf("menus that never showed: %d\n", closer.Failures);
  return closer.Failures ? 1 : 0;
}
