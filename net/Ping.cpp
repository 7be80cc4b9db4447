#include "net/Ping.h"

#include <cstring>

#include "net/WSocketLib.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/SystemFiles.h"

class TPing::TPingWindow : public rtl::TWindow {
public:
  explicit TPingWindow(TPing& owner) : FOwner(owner) {
    CreateMessageHandle("VrlPingWindowClass");
  }

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_LOOKUP_DONE) {
      FOwner.LookupDone(wParam, lParam);
      return 0;
    }
    return DefaultHandler(message, wParam, lParam);
  }

private:
  TPing& FOwner;
};

TPing::TPing(rtl::TComponent* owner) : rtl::TComponent(owner), FIcmp(std::make_unique<TICMP>()) {
  FIcmp->OnDisplay = [this](const std::string& msg) {
    if (OnDisplay) OnDisplay(*this, *FIcmp, msg);
  };
  FIcmp->OnEchoRequest = [this] {
    if (OnEchoRequest) OnEchoRequest(*this, *FIcmp);
  };
  FIcmp->OnEchoReply = [this](int error) {
    if (OnEchoReply) OnEchoReply(*this, *FIcmp, error);
  };
  // The lookups use the socket library that the TICMP keeps started.
  // A window that cannot be made leaves the component able to ping
  // addresses; a lookup of a name then fails at its start.
  try {
    FWindow = std::make_unique<TPingWindow>(*this);
  } catch (const rtl::Exception&) {
    FWindow.reset();
  }
}

TPing::~TPing() {
  try {
    CancelLookup();
  } catch (const std::exception&) {
    // A destructor cannot raise; a cancel that fails only means the answer
    // goes to a window that is about to go.
  }
  FWindow.reset();
}

HWND TPing::WindowHandle() const { return FWindow ? FWindow->Handle() : nullptr; }

int TPing::Ping() { return FIcmp ? FIcmp->Ping() : 0; }

void TPing::DnsLookup(const std::string& HostName) {
  if (FLookup) {
    WSocketApi().WSACancelAsyncRequest(FLookup);
    FLookup = nullptr;
  }
  FDnsResult.clear();
  if (HostName.empty()) throw rtl::ERangeError();
  const unsigned long dotted = WSocketApi().inet_addr(HostName.c_str());
  if (dotted != INADDR_NONE) {
    in_addr a;
    a.s_addr = dotted;
    FDnsResult = WSocketApi().inet_ntoa(a);
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  // Without its window the answer would go nowhere and the caller would
  // wait for ever.
  if (!FWindow) throw rtl::Exception(HostName + ": can't start DNS lookup, the component has no window");
  FLookup = WSocketApi().WSAAsyncGetHostByName(WindowHandle(), WM_LOOKUP_DONE, HostName.c_str(), FReplyBuffer, sizeof FReplyBuffer);
  if (!FLookup)
    throw rtl::Exception(rtl::Format("%s: can't start DNS lookup, error #%d", HostName.c_str(), WSocketApi().WSAGetLastError()));
}

void TPing::CancelLookup() {
  if (!FLookup) return;
  if (WSocketApi().WSACancelAsyncRequest(FLookup) != 0)
    throw rtl::Exception(rtl::Format("WSACancelAsyncRequest failed, error #%d", WSocketApi().WSAGetLastError()));
  FLookup = nullptr;
  if (OnDnsLookupDone) OnDnsLookupDone(*this, WSAEINTR);
}

void TPing::LookupDone(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HANDLE>(wParam) != FLookup || !FLookup) return;
  FLookup = nullptr;
  const auto error = static_cast<std::uint16_t>(HIWORD(lParam));
  if (error == 0) {
    const auto* entry = reinterpret_cast<const hostent*>(FReplyBuffer);
    if (entry->h_addr_list && entry->h_addr_list[0]) {
      in_addr a;
      std::memcpy(&a, entry->h_addr_list[0], sizeof a);
      FDnsResult = WSocketApi().inet_ntoa(a);
    }
  }
  if (OnDnsLookupDone) OnDnsLookupDone(*this, error);
}
