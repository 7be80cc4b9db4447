#include "tools/driver/TrayRecorder.h"

#include <shellapi.h>

#include <cstring>
#include <exception>
#include <stdexcept>

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= milliseconds) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  return true;
}

void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }

namespace {

// What Wine's shell puts into the WM_COPYDATA it sends to the tray window,
// before the icon's bits.
struct WineNotifyData {
  LONG hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeoutOrVersion;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
  UINT width;
  UINT height;
  UINT planes;
  UINT bpp;
};

// The shell hands the tip over as UTF-16; the watcher's texts are
// Windows-1252, whose letters below 256 are the same code points.
std::string Narrow(const WCHAR* text, size_t room) {
  std::string out;
  for (size_t i = 0; i < room && text[i]; ++i) out += static_cast<char>(text[i] < 256 ? text[i] : '?');
  return out;
}

constexpr const char* kTrayClass = "Shell_TrayWnd";

}  // namespace

TrayRecorder::TrayRecorder() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TrayRecorder::Proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kTrayClass;
  ::RegisterClassA(&wc);  // a second recorder finds the class registered
  FWindow = ::CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, this);
  if (!FWindow) throw std::runtime_error("no tray window");
  ::SetWindowPos(FWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TrayRecorder::~TrayRecorder() { ::DestroyWindow(FWindow); }

LRESULT CALLBACK TrayRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  }
  auto* self = reinterpret_cast<TrayRecorder*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_COPYDATA && self) {
    // Nothing may unwind into the sender's SendMessage.
    try {
      self->Record(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    } catch (const std::exception&) {
      return FALSE;
    }
    return TRUE;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void TrayRecorder::Record(const COPYDATASTRUCT& copy) {
  if (copy.cbData < sizeof(WineNotifyData)) return;
  WineNotifyData data;
  std::memcpy(&data, copy.lpData, sizeof data);
  const auto* bytes = static_cast<const char*>(copy.lpData);
  FRecords.push_back({static_cast<DWORD>(copy.dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(data.hWnd)),
                      data.uID, data.uFlags, data.uCallbackMessage, Narrow(data.szTip, 128), data.width, data.height,
                      data.bpp, std::string(bytes + sizeof data, copy.cbData - sizeof data)});
}

size_t TrayRecorder::Count(DWORD command) const {
  size_t n = 0;
  for (const auto& r : FRecords) n += r.Command == command;
  return n;
}

bool TrayRecorder::WaitForCount(DWORD command, size_t count, DWORD timeout) const {
  return PumpUntil([&] { return Count(command) >= count; }, timeout);
}

const TrayRecord* TrayRecorder::Last(DWORD command) const {
  for (auto it = FRecords.rbegin(); it != FRecords.rend(); ++it)
    if (it->Command == command) return &*it;
  return nullptr;
}
