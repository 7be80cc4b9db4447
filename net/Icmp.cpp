#include "net/Icmp.h"

#include <cstring>
#include <vector>

#include "net/WSocketLib.h"
#include "net/core/EchoText.h"
#include "rtl/win32/SystemFiles.h"

namespace {

// The service's own option record and reply header, in this build's layout.
struct OptionRecord {
  UCHAR Ttl, Tos, Flags, OptionsSize;
  PUCHAR OptionsData;
};
struct NativeReply {
  ULONG Address, Status, RoundTripTime;
  USHORT DataSize, Reserved;
  PVOID Data;
  OptionRecord Options;
};

}  // namespace

TICMP::TICMP() {
  // The echo service expects a started socket library: this object counts
  // itself among its users, so it stays loaded and started while it lives.
  SocketCreated();
  try {
    LoadSocketFunction("");
  } catch (const ESocketException&) {
    SocketDestroyed();
    throw TICMPException("Error initialising Winsock");
  }
  FIcmpDll.Reset(rtl::LoadSystemLibrary("icmp.dll"));
  const char* failure = nullptr;
  if (!FIcmpDll) {
    failure = "Unable to register icmp.dll";
  } else {
    FIcmpCreateFile = rtl::BoundFunction<decltype(FIcmpCreateFile)>(FIcmpDll.Get(), "IcmpCreateFile");
    FIcmpCloseHandle = rtl::BoundFunction<decltype(FIcmpCloseHandle)>(FIcmpDll.Get(), "IcmpCloseHandle");
    FIcmpSendEcho = rtl::BoundFunction<decltype(FIcmpSendEcho)>(FIcmpDll.Get(), "IcmpSendEcho");
    if (!FIcmpCreateFile || !FIcmpCloseHandle || !FIcmpSendEcho) failure = "Error loading dll functions";
    else if ((FHandle = FIcmpCreateFile()) == INVALID_HANDLE_VALUE) failure = "Unable to get ping handle";
  }
  if (failure) {
    FIcmpDll.Reset();
    SocketDestroyed();
    throw TICMPException(failure);
  }
}

TICMP::~TICMP() {
  if (FHandle != INVALID_HANDLE_VALUE) FIcmpCloseHandle(FHandle);
  FIcmpDll.Reset();
  SocketDestroyed();
}

void TICMP::SetAddress(const std::string& value) {
  if (value == FAddress) return;
  FAddress = value;
  FIsResolved = false;
  FResolved = INADDR_NONE;
}

void TICMP::SetSize(int value) {
  if (value < 0 || value > 65535) throw rtl::ERangeError();
  FSize = value;
}

void TICMP::SetTimeout(int value) {
  if (value < 0) throw rtl::ERangeError();
  FTimeout = value;
}

void TICMP::SetTTL(int value) {
  if (value < 0 || value > 255) throw rtl::ERangeError();
  FTTL = value;
}

void TICMP::SetFlags(int value) {
  if (value < 0 || value > 255) throw rtl::ERangeError();
  FFlags = value;
}

void TICMP::Resolve() {
  const TWSocketApi& api = WSocketApi();
  const unsigned long dotted = api.inet_addr(FAddress.c_str());
  if (dotted != INADDR_NONE) {
    FResolved = static_cast<std::uint32_t>(dotted);
    FHostName = FAddress;
  } else {
    hostent* entry = FAddress.empty() ? nullptr : api.gethostbyname(FAddress.c_str());
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0]) {
      FLastError = static_cast<DWORD>(api.WSAGetLastError());
      if (OnDisplay) OnDisplay("Unable to resolve " + FAddress);
      return;
    }
    std::memcpy(&FResolved, entry->h_addr_list[0], 4);
    FHostName = entry->h_name ? entry->h_name : "";
  }
  in_addr a;
  a.s_addr = FResolved;
  FHostIP = api.inet_ntoa(a);
  FIsResolved = true;
}

int TICMP::Ping() {
  FLastError = 0;
  if (!FIsResolved) Resolve();
  if (FResolved == INADDR_NONE) {
    FLastError = 11018;  // IP_BAD_DESTINATION
    if (OnDisplay) OnDisplay("Invalid host address");
    return 0;
  }
  const std::string request = EchoRequestData(FSize);
  // Room for the service's own reply record, the echoed data and the 8
  // bytes of an ICMP error message, as the service asks (the record is
  // larger than 28 bytes in a 64-bit process).
  std::vector<unsigned char> reply(sizeof(NativeReply) + static_cast<size_t>(FSize) + 8, 0);
  std::memset(&FReply, 0, sizeof FReply);
  if (OnEchoRequest) OnEchoRequest();
  OptionRecord options{static_cast<UCHAR>(FTTL), 0, static_cast<UCHAR>(FFlags), 0, nullptr};
  const DWORD result = FIcmpSendEcho(FHandle, FResolved, const_cast<char*>(request.data()),
                                     static_cast<WORD>(FSize), &options, reply.data(),
                                     static_cast<DWORD>(reply.size()), static_cast<DWORD>(FTimeout));
  FLastError = ::GetLastError();
  NativeReply native;
  std::memcpy(&native, reply.data(), sizeof native);
  FReply.Address = native.Address;
  FReply.Status = native.Status;
  FReply.RTT = native.RoundTripTime;
  FReply.DataSize = native.DataSize;
  FReply.Reserved = native.Reserved;
  FReply.Data = 0;  // a pointer into a buffer that is gone after the call
  FReply.TTL = native.Options.Ttl;
  FReply.TOS = native.Options.Tos;
  FReply.Flags = native.Options.Flags;
  FReply.OptionsSize = native.Options.OptionsSize;
  FReply.OptionsData = 0;
  if (OnEchoReply) OnEchoReply(static_cast<int>(result));
  return static_cast<int>(result);
}
