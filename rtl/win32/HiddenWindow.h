#pragma once
// The hidden window of a component that runs on window messages: the
// socket, the HTTP client and the echo component post their private
// messages to it, the timer gets its ticks there, and the application
// object stands for the running program with one. Nobody sees it; the
// messages of its range go to the component's handler, every other one to
// the default window procedure.

#include <windows.h>

#include <functional>
#include <string>

#include "rtl/win32/Window.h"

namespace rtl {

class THiddenWindow : public TWindow {
public:
  using THandler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

  // A message-only window of ClassName: never shown, not in the list of
  // top-level windows, so broadcasts from other programs do not wait on a
  // thread that is blocked in a synchronous call, and Wine makes no X
  // window for it. Messages First to Last go to Handler. Raises
  // rtl::Exception when the window cannot be made.
  THiddenWindow(const char* className, UINT first, UINT last, THandler handler);
  // A hidden top-level window with a caption and no messages of its own:
  // another program finds it by class and caption.
  THiddenWindow(const char* className, const std::string& caption);

protected:
  bool Own(UINT message) const { return message >= FFirst && message <= FLast; }
  bool HasHandler() const { return static_cast<bool>(FHandler); }
  // From now on the messages of the range reach no handler.
  void DropHandler() { FHandler = nullptr; }
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  UINT FFirst = 1, FLast = 0;
  THandler FHandler;
};

}  // namespace rtl
