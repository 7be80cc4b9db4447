#include "net/Ping.h"

#include <cstring>

#include "net/WSocketLib.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/SystemFiles.h"

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
    FWindow = std::make_unique<TLookupWindow>("VrlPingWindowClass", WM_LOOKUP_DONE, WM_LOOKUP_DONE,
                                              [this](UINT, WPARAM wParam, LPARAM lParam) -> LRESULT {
                                                LookupDone(wParam, lParam);
                                                return 0;
                                              });
  } catch (const rtl::Exception&) {
    FWindow.reset();
  }
}

// A pending lookup is forgotten without an event: its owner is being
// destroyed too, as a rule, and must not hear from it. Its answer still
// finds the window (and the buffer) until it comes.
TPing::~TPing() {
  FLookup = nullptr;
  TLookupWindow::Retire(std::move(FWindow));
}

HWND TPing::WindowHandle() const { return FWindow ? FWindow->Handle() : nullptr; }

int TPing::Ping() { return FIcmp ? FIcmp->Ping() : 0; }

// Windows Sockets' own cancel is not used, neither for a replaced lookup nor
// in CancelLookup: under Wine it stops nothing (see LookupWindow.h).
void TPing::DnsLookup(const std::string& HostName) {
  FLookup = nullptr;
  FDnsResult.clear();
  if (HostName.empty()) throw rtl::ERangeError();
  const unsigned long dotted = WSocketApi().inet_addr(HostName.c_str());
  if (dotted != INADDR_NONE) {
    in_addr a;
    a.s_addr = dotted;
    FDnsResult = WSocketApi().inet_ntoa(a);
    if (OnDnsLookupDone) {
      const auto handler = OnDnsLookupDone;  // the handler may free the component
      handler(*this, 0);
    }
    return;
  }
  // Without its window the answer would go nowhere and the caller would
  // wait for ever.
  if (!FWindow) throw rtl::Exception(HostName + ": can't start DNS lookup, the component has no window");
  FLookup = FWindow->StartByName(WM_LOOKUP_DONE, HostName);
  if (!FLookup)
    throw rtl::Exception(rtl::Format("%s: can't start DNS lookup, error #%d", HostName.c_str(), WSocketApi().WSAGetLastError()));
}

void TPing::CancelLookup() {
  if (!FLookup) return;
  FLookup = nullptr;
  if (OnDnsLookupDone) {
    const auto handler = OnDnsLookupDone;
    handler(*this, WSAEINTR);
  }
}

void TPing::LookupDone(WPARAM wParam, LPARAM lParam) {
  // Taken in any case: the answer of a replaced or cancelled lookup frees
  // its buffer and goes no further.
  const auto request = reinterpret_cast<HANDLE>(wParam);
  const TLookupReply reply = FWindow->TakeReply(WM_LOOKUP_DONE, request);
  if (!reply || request != FLookup) return;
  FLookup = nullptr;
  const auto error = static_cast<std::uint16_t>(HIWORD(lParam));
  if (error == 0) {
    const auto* entry = reinterpret_cast<const hostent*>(reply.get());
    if (entry->h_addr_list && entry->h_addr_list[0]) {
      in_addr a;
      std::memcpy(&a, entry->h_addr_list[0], sizeof a);
      FDnsResult = WSocketApi().inet_ntoa(a);
    }
  }
  if (OnDnsLookupDone) {
    const auto handler = OnDnsLookupDone;  // the handler may free the component
    handler(*this, error);
  }
}
