#pragma once
// ICMP echo through the system's echo service ("icmp.dll", bound by name at
// run time from the system folder). One request at a time; Ping blocks the
// thread until the reply or the timeout.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "rtl/core/Exceptions.h"
#include "rtl/win32/Handles.h"

class TICMPException : public rtl::Exception {
  using rtl::Exception::Exception;
};

// The echo reply header as the 32-bit service returns it.
#pragma pack(push, 1)
struct TIcmpEchoReplyHeader {
  std::uint32_t Address;
  std::uint32_t Status;
  std::uint32_t RTT;
  std::uint16_t DataSize;
  std::uint16_t Reserved;
  std::uint32_t Data;
  std::uint8_t TTL, TOS, Flags, OptionsSize;
  std::uint32_t OptionsData;
};
#pragma pack(pop)
static_assert(sizeof(TIcmpEchoReplyHeader) == 28, "the reply header has 28 bytes");

class TICMP {
public:
  TICMP();
  ~TICMP();
  TICMP(const TICMP&) = delete;
  TICMP& operator=(const TICMP&) = delete;

  const std::string& Address() const { return FAddress; }
  // A different text is resolved again at the next Ping.
  void SetAddress(const std::string& value);
  int Size() const { return FSize; }
  void SetSize(int value);        // 0..65535
  int Timeout() const { return FTimeout; }
  void SetTimeout(int value);     // not negative, milliseconds
  int TTL() const { return FTTL; }
  void SetTTL(int value);         // 0..255
  int Flags() const { return FFlags; }
  void SetFlags(int value);       // 0..255

  const std::string& HostName() const { return FHostName; }
  const std::string& HostIP() const { return FHostIP; }
  DWORD LastError() const { return FLastError; }
  const TIcmpEchoReplyHeader& Reply() const { return FReply; }

  // The number of echo replies (0 or 1).
  int Ping();

  std::function<void(const std::string&)> OnDisplay;
  std::function<void()> OnEchoRequest;
  std::function<void(int)> OnEchoReply;

private:
  void Resolve();

  rtl::Module FIcmpDll;
  HANDLE FHandle = INVALID_HANDLE_VALUE;
  HANDLE(WINAPI* FIcmpCreateFile)() = nullptr;
  BOOL(WINAPI* FIcmpCloseHandle)(HANDLE) = nullptr;
  DWORD(WINAPI* FIcmpSendEcho)(HANDLE, DWORD, LPVOID, WORD, LPVOID, LPVOID, DWORD, DWORD) = nullptr;

  std::string FAddress;
  std::uint32_t FResolved = INADDR_NONE;
  bool FIsResolved = false;
  std::string FHostName, FHostIP;
  int FSize = 56, FTimeout = 4000, FTTL = 64, FFlags = 0;
  DWORD FLastError = 0;
  TIcmpEchoReplyHeader FReply{};
};
