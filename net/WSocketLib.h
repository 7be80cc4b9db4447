#pragma once
// Windows Sockets 1.1 ("wsock32.dll") bound by name at run time: loaded from
// the system folder and started on the first call of any of its functions,
// released again when the last socket goes. Process-wide, one thread.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
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

// Where one entry keeps its bound function; valid for the library load it
// was bound in.
struct TSocketSlot {
  std::atomic<FARPROC> Proc{nullptr};
  std::atomic<unsigned> Load{0};
};

// The entry point Name, bound on first use after each load of the library.
FARPROC ResolveSocketFunction(const char* Name, TSocketSlot& Slot);

// One bound function, named in its own entry. The type comes from the SDK
// declaration, so that a wrong prototype fails to compile.
template <typename F>
class TSocketEntry {
public:
  explicit TSocketEntry(const char* name) : FName(name) {}
  template <typename... Args>
  auto operator()(Args... args) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(ResolveSocketFunction(FName, FSlot)))(args...);
  }

private:
  const char* FName;
  mutable TSocketSlot FSlot;
};

// The functions the socket components call, each bound on first use. The
// entry takes its name from the declaration it is typed after, so the two
// cannot disagree.
#define ORV_SOCKET_ENTRY(function) TSocketEntry<decltype(&::function)> function { #function }
struct TWSocketApi {
  ORV_SOCKET_ENTRY(WSAStartup);
  ORV_SOCKET_ENTRY(WSACleanup);
  ORV_SOCKET_ENTRY(WSASetLastError);
  ORV_SOCKET_ENTRY(WSAGetLastError);
  ORV_SOCKET_ENTRY(WSACancelAsyncRequest);
  ORV_SOCKET_ENTRY(WSAAsyncGetHostByName);
  ORV_SOCKET_ENTRY(WSAAsyncGetHostByAddr);
  ORV_SOCKET_ENTRY(WSAAsyncSelect);
  ORV_SOCKET_ENTRY(getservbyname);
  ORV_SOCKET_ENTRY(getprotobyname);
  ORV_SOCKET_ENTRY(gethostbyname);
  ORV_SOCKET_ENTRY(socket);
  ORV_SOCKET_ENTRY(shutdown);
  ORV_SOCKET_ENTRY(setsockopt);
  ORV_SOCKET_ENTRY(sendto);
  ORV_SOCKET_ENTRY(send);
  TSocketEntry<u_short(WSAAPI*)(u_short)> ntohs{"ntohs"};
  ORV_SOCKET_ENTRY(listen);
  ORV_SOCKET_ENTRY(ioctlsocket);
  ORV_SOCKET_ENTRY(inet_ntoa);
  ORV_SOCKET_ENTRY(inet_addr);
  TSocketEntry<u_short(WSAAPI*)(u_short)> htons{"htons"};
  ORV_SOCKET_ENTRY(getsockname);
  ORV_SOCKET_ENTRY(getpeername);
  ORV_SOCKET_ENTRY(connect);
  ORV_SOCKET_ENTRY(closesocket);
  ORV_SOCKET_ENTRY(bind);
  ORV_SOCKET_ENTRY(accept);
  ORV_SOCKET_ENTRY(recv);
  ORV_SOCKET_ENTRY(recvfrom);
};
#undef ORV_SOCKET_ENTRY

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
