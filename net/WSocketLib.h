#pragma once
// Windows Sockets 1.1 ("wsock32.dll") bound by name at run time: loaded from
// the system folder and started on the first call of any of its functions,
// released again when the last socket goes. Process-wide, one thread.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "net/core/SocketException.h"
#include "rtl/core/UniqueHandle.h"

// Loads and starts the library when needed and returns the entry point of
// Name (nothing for an empty name). Raises ESocketException.
FARPROC LoadSocketFunction(const std::string& Name);
// Stops and releases the library and forgets every entry point; also sets
// the live-socket count to 0.
void UnloadSocketLibrary();
bool SocketLibraryLoaded();

// Every socket counts itself in at creation and out at destruction; the
// last one out unloads the library.
void SocketCreated();
void SocketDestroyed();
int LiveSocketCount();

// The entry point of slot Slot of TWSocketApi, bound on first use.
FARPROC ResolveSocketSlot(int Slot);

// One bound function. The type comes from the SDK declaration, so that a
// wrong prototype fails to compile.
template <typename F>
class TSocketEntry {
public:
  constexpr explicit TSocketEntry(int slot) : FSlot(slot) {}
  template <typename... Args>
  auto operator()(Args... args) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(ResolveSocketSlot(FSlot)))(args...);
  }

private:
  int FSlot;
};

// The functions the socket components call, each bound on first use.
struct TWSocketApi {
  TSocketEntry<decltype(&::WSAStartup)> WSAStartup{0};
  TSocketEntry<decltype(&::WSACleanup)> WSACleanup{1};
  TSocketEntry<decltype(&::WSASetLastError)> WSASetLastError{2};
  TSocketEntry<decltype(&::WSAGetLastError)> WSAGetLastError{3};
  TSocketEntry<decltype(&::WSACancelAsyncRequest)> WSACancelAsyncRequest{4};
  TSocketEntry<decltype(&::WSAAsyncGetHostByName)> WSAAsyncGetHostByName{5};
  TSocketEntry<decltype(&::WSAAsyncGetHostByAddr)> WSAAsyncGetHostByAddr{6};
  TSocketEntry<decltype(&::WSAAsyncSelect)> WSAAsyncSelect{7};
  TSocketEntry<decltype(&::getservbyname)> getservbyname{8};
  TSocketEntry<decltype(&::getprotobyname)> getprotobyname{9};
  TSocketEntry<decltype(&::gethostbyname)> gethostbyname{10};
  TSocketEntry<decltype(&::socket)> socket{11};
  TSocketEntry<decltype(&::shutdown)> shutdown{12};
  TSocketEntry<decltype(&::setsockopt)> setsockopt{13};
  TSocketEntry<decltype(&::sendto)> sendto{14};
  TSocketEntry<decltype(&::send)> send{15};
  TSocketEntry<u_short(WSAAPI*)(u_short)> ntohs{16};
  TSocketEntry<decltype(&::listen)> listen{17};
  TSocketEntry<decltype(&::ioctlsocket)> ioctlsocket{18};
  TSocketEntry<decltype(&::inet_ntoa)> inet_ntoa{19};
  TSocketEntry<decltype(&::inet_addr)> inet_addr{20};
  TSocketEntry<u_short(WSAAPI*)(u_short)> htons{21};
  TSocketEntry<decltype(&::getsockname)> getsockname{22};
  TSocketEntry<decltype(&::getpeername)> getpeername{23};
  TSocketEntry<decltype(&::connect)> connect{24};
  TSocketEntry<decltype(&::closesocket)> closesocket{25};
  TSocketEntry<decltype(&::bind)> bind{26};
  TSocketEntry<decltype(&::accept)> accept{27};
  TSocketEntry<decltype(&::recv)> recv{28};
  TSocketEntry<decltype(&::recvfrom)> recvfrom{29};
};

constexpr int kSocketFunctionCount = 30;
const TWSocketApi& WSocketApi();

// Owner of one socket handle: closed when the owner lets go of it.
struct SocketHandleTraits {
  using Type = SOCKET;
  static Type Invalid() noexcept { return INVALID_SOCKET; }
  static void Close(Type handle) noexcept;
};
using TSocketHandle = rtl::UniqueHandle<SocketHandleTraits>;

// Host text to an IPv4 address in network order: dotted text directly,
// anything else through the (blocking) name lookup.
std::uint32_t WSocketResolveHost(const std::string& HostText);
// Port text (a number, or a service name looked up for Proto) to a port in
// host order.
std::uint16_t WSocketResolvePort(const std::string& Port, const std::string& Proto);
// Protocol text (a number, or a name such as "tcp") to its number.
int WSocketResolveProto(const std::string& Proto);
