#pragma once
// The echo component: pings through its TICMP and looks names up without
// blocking, answering from its hidden window.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/Icmp.h"
#include "net/LookupWindow.h"
#include "rtl/core/Component.h"

class TPing : public rtl::TComponent {
public:
  static constexpr UINT WM_LOOKUP_DONE = WM_USER + 2;

  explicit TPing(rtl::TComponent* owner);
  ~TPing() override;

  std::string Address() const { return FIcmp->Address(); }
  void SetAddress(const std::string& value) { FIcmp->SetAddress(value); }
  int Size() const { return FIcmp->Size(); }
  void SetSize(int value) { FIcmp->SetSize(value); }
  int Timeout() const { return FIcmp->Timeout(); }
  void SetTimeout(int value) { FIcmp->SetTimeout(value); }
  int TTL() const { return FIcmp->TTL(); }
  void SetTTL(int value) { FIcmp->SetTTL(value); }
  int Flags() const { return FIcmp->Flags(); }
  void SetFlags(int value) { FIcmp->SetFlags(value); }
  std::string HostName() const { return FIcmp->HostName(); }
  std::string HostIP() const { return FIcmp->HostIP(); }
  const std::string& DnsResult() const { return FDnsResult; }
  TICMP& Icmp() { return *FIcmp; }
  HWND WindowHandle() const;

  int Ping();
  virtual void DnsLookup(const std::string& HostName);
  // Forgets a pending lookup and reports it (10004). Its answer, when it
  // comes, is dropped.
  void CancelLookup();

  std::function<void(TPing& sender, TICMP& icmp, const std::string& msg)> OnDisplay;
  std::function<void(TPing& sender, TICMP& icmp)> OnEchoRequest;
  std::function<void(TPing& sender, TICMP& icmp, int error)> OnEchoReply;
  std::function<void(TPing& sender, std::uint16_t error)> OnDnsLookupDone;

private:
  void LookupDone(WPARAM wParam, LPARAM lParam);

  std::unique_ptr<TICMP> FIcmp;
  // Holds the reply buffers of the lookups (see LookupWindow.h).
  std::unique_ptr<TLookupWindow> FWindow;
  HANDLE FLookup = nullptr;
  std::string FDnsResult;
};
