#pragma once
// The application object: the message loop, the program's title and its
// hidden window. It is also the program's standard error display
// (ErrorDisplay.h), where an exception that ends an event handler comes.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "rtl/win32/ErrorDisplay.h"

namespace rtl {

class THiddenWindow;

class TApplication : public TErrorDisplay {
public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const std::string& Title() const { return FTitle; }
  // Also the caption of the application window, once there is one.
  void SetTitle(std::string title);

  // The hidden top-level window of class "TApplication" that stands for the
  // running program: a second start of the program finds the first by it.
  // Programs that need no such window never create it.
  void CreateHandle();
  HWND Handle() const;

  // Runs the message loop until Terminate or WM_QUIT.
  void Run();
  // Handles what is waiting and returns.
  void ProcessMessages();
  // Dispatches one message taken from the queue (dialog keys included).
  bool HandleMessage(MSG& msg);
  void Terminate();
  bool Terminated() const { return FTerminated; }

private:
  bool FTerminated = false;
  std::unique_ptr<THiddenWindow> FWindow;
};

// One application object per process, as there is one message loop per
// user-interface thread.
TApplication& Application();

enum class TWaitResult { Done, TimedOut, Quit };

// The one nested message loop of the program: handles this thread's
// messages until Done holds, Milliseconds have passed (0: no limit) or
// WM_QUIT comes. It sleeps while the queue is empty. A WM_QUIT is posted
// again before the wait returns Quit, so that the loop which owns it (the
// application's, or a thread's own) still ends.
//
// OnMessages is for a Done that only a message handled here can make true
// (socket events, timers, lookups): the thread then sleeps until a message
// comes. Polling also looks at Done every 20 ms, for a Done that another
// thread sets without posting anything.
enum class TWake { OnMessages, Polling };
TWaitResult WaitForMessages(const std::function<bool()>& done, DWORD milliseconds, TWake wake = TWake::Polling);

}  // namespace rtl
