#include "tests/watcher/WatcherDriver.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
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

WatcherProcess::WatcherProcess(const std::string& exe, const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  if (!::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &FInfo))
    throw std::runtime_error("cannot start " + exe);
}

WatcherProcess::~WatcherProcess() {
  if (::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(FInfo.hProcess, 99);
    PumpUntil([this] { return !Running(); }, 10000);
  }
  ::CloseHandle(FInfo.hProcess);
  ::CloseHandle(FInfo.hThread);
}

HWND WatcherProcess::Find(const char* className, bool visibleOnly) const {
  return FindProcessWindow(FInfo.dwProcessId, className, visibleOnly);
}

HWND WatcherProcess::WaitFor(const char* className, bool visibleOnly, DWORD timeout) const {
  HWND found = nullptr;
  PumpUntil([&] { return (found = Find(className, visibleOnly)) != nullptr || !Running(); }, timeout);
  return found;
}

bool WatcherProcess::WaitForExit(DWORD timeout) const {
  return PumpUntil([this] { return !Running(); }, timeout);
}

bool WatcherProcess::Running() const { return ::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }

DWORD WatcherProcess::ExitCode() const {
  DWORD code = 0;
  ::GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

bool IsChecked(HWND button) {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

void Click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void MenuKey(HWND menu, char key) {
  ::PostMessageA(menu, WM_KEYDOWN, static_cast<WPARAM>(::VkKeyScanA(key) & 0xFF), 0);
  ::PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 0);
}

bool IconHasColour(const TrayRecord& record, int red, int green, int blue, int tolerance) {
  if (record.IconBits != 32) return false;
  // The mask comes first, then the colour pixels, blue, green, red, alpha.
  const std::string& d = record.IconData;
  const size_t pixels = static_cast<size_t>(record.IconWidth) * record.IconHeight;
  if (d.size() < 4 * pixels) return false;
  const size_t colour = d.size() - 4 * pixels;
  for (size_t i = 0; i < pixels; ++i) {
    const auto at = [&](size_t k) { return static_cast<int>(static_cast<unsigned char>(d[colour + 4 * i + k])); };
    if (at(3) == 255 && std::abs(at(2) - red) <= tolerance && std::abs(at(1) - green) <= tolerance &&
        std::abs(at(0) - blue) <= tolerance)
      return true;
  }
  return false;
}

bool Answer(HWND dialog, int buttonId) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
  return PumpUntil([dialog] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 10000);
}

// ---------------------------------------------------------------- tray

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

std::string Narrow(const WCHAR* text, size_t room) {
  std::string out;
  for (size_t i = 0; i < room && text[i]; ++i) out += static_cast<char>(text[i] < 256 ? text[i] : '?');
  return out;
}

TrayRecorder* gRecorder = nullptr;

}  // namespace

TrayRecorder::TrayRecorder() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TrayRecorder::Proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "Shell_TrayWnd";
  ::RegisterClassA(&wc);
  gRecorder = this;
  FWindow = ::CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  if (!FWindow) throw std::runtime_error("no tray window");
  ::SetWindowPos(FWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TrayRecorder::~TrayRecorder() {
  ::DestroyWindow(FWindow);
  if (gRecorder == this) gRecorder = nullptr;
}

LRESULT CALLBACK TrayRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && gRecorder) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy->cbData >= sizeof(WineNotifyData)) {
      WineNotifyData data;
      std::memcpy(&data, copy->lpData, sizeof data);
      const auto* bytes = static_cast<const char*>(copy->lpData);
      gRecorder->FRecords.push_back({static_cast<DWORD>(copy->dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(data.hWnd)),
                                     data.uID, data.uFlags, data.uCallbackMessage, Narrow(data.szTip, 128), data.width,
                                     data.height, data.bpp,
                                     std::string(bytes + sizeof data, copy->cbData - sizeof data)});
    }
    return TRUE;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
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
