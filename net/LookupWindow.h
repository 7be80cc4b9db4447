#pragma once
// The hidden window of a component that looks names up asynchronously
// (WSAAsyncGetHostByName/ByAddr), and the reply buffers of its lookups.
//
// The system's worker writes the host entry into the buffer given at the
// start when the lookup ends, and only then posts the answer. Under Wine,
// WSACancelAsyncRequest cancels nothing, so a lookup is never cancelled
// here: every request has a buffer of its own that lives until the
// request's own answer has arrived. Its owner may forget the request
// meanwhile (replaced, cancelled, the owner destroyed); the answer is then
// dropped. A window whose owner is gone while answers are still out lives
// on by itself until the last of them has come.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/HiddenWindow.h"

// The buffer of an answered lookup, with the host entry in it. Freeing it
// ends the request's hold on the socket library.
struct TLookupReplyFree {
  void operator()(char* buffer) const noexcept;
};
using TLookupReply = std::unique_ptr<char[], TLookupReplyFree>;

class TLookupWindow : public rtl::THiddenWindow {
public:
  // Messages First to Last go to Handler, every other one to the default
  // window procedure. Raises rtl::Exception when the window cannot be made.
  TLookupWindow(const char* className, UINT first, UINT last, THandler handler)
      : rtl::THiddenWindow(className, first, last, std::move(handler)) {}
  ~TLookupWindow() override;

  // Starts a lookup whose answer comes as Message with the request's handle
  // as wParam; nullptr when it cannot start (WSAGetLastError says why).
  HANDLE StartByName(UINT message, const std::string& name);
  HANDLE StartByAddr(UINT message, std::uint32_t address);

  // The buffer of the request that the answer Message/Request is for, taken
  // out of the window; empty when the window started no such request (or
  // its answer has been taken already).
  TLookupReply TakeReply(UINT message, HANDLE request);

  // Destroys the window at once, or, while answers are still out, leaves it
  // to itself until the last has come. Messages then no longer reach the
  // handler.
  static void Retire(std::unique_ptr<TLookupWindow> window) noexcept;

  // Lookups of the process whose answers have not come yet.
  static int Outstanding();

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  struct TRequest {
    HANDLE Handle;
    UINT Message;
    TLookupReply Buffer;
  };
  HANDLE Started(UINT message, std::unique_ptr<char[]> buffer, HANDLE handle);

  std::vector<TRequest> FRequests;
};
