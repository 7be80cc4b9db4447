#include "net/LookupWindow.h"

#include <atomic>

#include "net/WSocketLib.h"

namespace {

std::atomic<int> gOutstanding{0};

// A lookup that is out holds the socket library: a cleanup would cancel it
// on Windows without an answer, and its buffer would never be freed.
void Hold() {
  ++gOutstanding;
  SocketCreated();
}

}  // namespace

void TLookupReplyFree::operator()(char* buffer) const noexcept {
  delete[] buffer;
  --gOutstanding;
  SocketDestroyed();
}

TLookupWindow::~TLookupWindow() {
  // Only a window whose thread has ended gets here with answers still out
  // (Retire keeps any other): the system may still write into the buffers,
  // so they are left as they are.
  for (TRequest& request : FRequests) request.Buffer.release();
}

HANDLE TLookupWindow::Started(UINT message, std::unique_ptr<char[]> buffer, HANDLE handle) {
  if (!handle) return nullptr;
  // Room was made before the start: nothing here can fail and free the
  // buffer that the system now writes into.
  Hold();
  FRequests.push_back(TRequest{handle, message, TLookupReply(buffer.release())});
  return handle;
}

HANDLE TLookupWindow::StartByName(UINT message, const std::string& name) {
  FRequests.reserve(FRequests.size() + 1);
  auto buffer = std::make_unique<char[]>(MAXGETHOSTSTRUCT + 1);
  const HANDLE handle =
      WSocketApi().WSAAsyncGetHostByName(Handle(), message, name.c_str(), buffer.get(), MAXGETHOSTSTRUCT + 1);
  return Started(message, std::move(buffer), handle);
}

HANDLE TLookupWindow::StartByAddr(UINT message, std::uint32_t address) {
  FRequests.reserve(FRequests.size() + 1);
  auto buffer = std::make_unique<char[]>(MAXGETHOSTSTRUCT + 1);
  const HANDLE handle = WSocketApi().WSAAsyncGetHostByAddr(Handle(), message, reinterpret_cast<const char*>(&address),
                                                           4, PF_INET, buffer.get(), MAXGETHOSTSTRUCT + 1);
  return Started(message, std::move(buffer), handle);
}

TLookupReply TLookupWindow::TakeReply(UINT message, HANDLE request) {
  for (auto at = FRequests.begin(); at != FRequests.end(); ++at) {
    if (at->Handle != request || at->Message != message) continue;
    TLookupReply buffer = std::move(at->Buffer);
    FRequests.erase(at);
    return buffer;
  }
  return nullptr;
}

void TLookupWindow::Retire(std::unique_ptr<TLookupWindow> window) noexcept {
  if (!window) return;
  window->DropHandler();
  if (window->FRequests.empty() || !window->HandleAllocated()) return;
  window.release();  // deletes itself when its last answer has come
}

int TLookupWindow::Outstanding() { return gOutstanding.load(); }

// A retired window only waits for the answers still out.
LRESULT TLookupWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HasHandler() || !Own(message)) return rtl::THiddenWindow::WndProc(message, wParam, lParam);
  if (TakeReply(message, reinterpret_cast<HANDLE>(wParam)) && FRequests.empty()) delete this;
  return 0;
}
