#include "net/WSocketLib.h"

#include <atomic>
#include <cstring>

#include "net/core/SocketText.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/SystemFiles.h"

namespace {

const char kLibraryName[] = "wsock32.dll";

// Process-wide. Sockets may live on more than one thread (each with its own
// message loop), so loading, the slots and the count are guarded; a slot once
// bound is read without the lock.
SRWLOCK gLock = SRWLOCK_INIT;
HMODULE gLibrary = nullptr;
// Counts the loads of the library: an entry bound in an earlier load binds
// again.
std::atomic<unsigned> gLoad{1};
int gLiveSockets = 0;

class TLibraryLock {
public:
  TLibraryLock() { ::AcquireSRWLockExclusive(&gLock); }
  ~TLibraryLock() { ::ReleaseSRWLockExclusive(&gLock); }
  TLibraryLock(const TLibraryLock&) = delete;
  TLibraryLock& operator=(const TLibraryLock&) = delete;
};

// Callers hold the lock.
void EnsureLoaded() {
  if (gLibrary) return;
  HMODULE library = rtl::LoadSystemLibrary(kLibraryName);
  if (!library)
    throw ESocketException("Unable to load " + std::string(kLibraryName) + " Error #" +
                           std::to_string(::GetLastError()));
  gLibrary = library;
  // An asynchronous lookup ends on a thread of Windows Sockets' own, which
  // may still be running the library's code after its answer has arrived
  // and the last socket has gone (under Wine: a crash at exit). The image
  // therefore stays mapped; start, cleanup and binding still follow each
  // load and unload.
  HMODULE pinned = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, kLibraryName, &pinned);
  // After a failed start the library stays loaded and is not started again:
  // later calls then fail with the system's "not initialised" error.
  const auto startup = rtl::BoundFunction<decltype(&::WSAStartup)>(library, "WSAStartup");
  WSADATA data;
  const int status = startup ? startup(0x0101, &data) : static_cast<int>(::GetLastError());
  if (status != 0) throw ESocketException(rtl::Format("%s: WSAStartup error #%d", kLibraryName, status));
}

FARPROC FindFunction(const std::string& name) {
  EnsureLoaded();
  if (name.empty()) return nullptr;
  FARPROC proc = ::GetProcAddress(gLibrary, name.c_str());
  if (!proc)
    throw ESocketException("Procedure " + name + " not found in " + kLibraryName + " Error #" +
                           std::to_string(::GetLastError()));
  return proc;
}

void Unload() {
  if (gLibrary) {
    const auto cleanup = rtl::BoundFunction<decltype(&::WSACleanup)>(gLibrary, "WSACleanup");
    if (cleanup) cleanup();
    ::FreeLibrary(gLibrary);
    gLibrary = nullptr;
    gLoad.fetch_add(1, std::memory_order_acq_rel);
  }
  gLiveSockets = 0;
}

}  // namespace

FARPROC LoadSocketFunction(const std::string& Name) {
  TLibraryLock lock;
  return FindFunction(Name);
}

FARPROC ResolveSocketFunction(const char* Name, TSocketSlot& Slot) {
  if (Slot.Load.load(std::memory_order_acquire) == gLoad.load(std::memory_order_acquire))
    if (FARPROC bound = Slot.Proc.load(std::memory_order_acquire)) return bound;
  TLibraryLock lock;
  FARPROC proc = FindFunction(Name);
  // The function first, then the load it belongs to: a reader that sees the
  // current load also sees its function.
  Slot.Proc.store(proc, std::memory_order_release);
  Slot.Load.store(gLoad.load(std::memory_order_acquire), std::memory_order_release);
  return proc;
}

void UnloadSocketLibrary() {
  TLibraryLock lock;
  Unload();
}

bool SocketLibraryLoaded() {
  TLibraryLock lock;
  return gLibrary != nullptr;
}

void SocketCreated() {
  TLibraryLock lock;
  ++gLiveSockets;
}

void SocketDestroyed() {
  TLibraryLock lock;
  if (--gLiveSockets <= 0) Unload();
}

int LiveSocketCount() {
  TLibraryLock lock;
  return gLiveSockets;
}

const TWSocketApi& WSocketApi() {
  static const TWSocketApi api;
  return api;
}

void SocketHandleTraits::Close(SOCKET handle) noexcept {
  try {
    WSocketApi().closesocket(handle);
  } catch (const ESocketException&) {
    // The library could not be bound, so no socket of it can be open: there
    // is nothing left to close.
  }
}

std::uint32_t WSocketResolveHost(const std::string& HostText) {
  if (HostText.empty() || HostText.size() > 256)
    throw ESocketException("WSocketResolveHost: '" + HostText + "' Invalid Hostname.");
  const std::string host = rtl::Trim(HostText);
  const TWSocketApi& api = WSocketApi();
  if (IsDottedAddress(host)) {
    const unsigned long address = api.inet_addr(host.c_str());
    if (address == INADDR_NONE && host != "255.255.255.255")
      throw ESocketException("WSocketResolveHost: '" + HostText + "' Invalid IP address.");
    return static_cast<std::uint32_t>(address);
  }
  hostent* entry = api.gethostbyname(host.c_str());
  if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
    throw ESocketException(rtl::Format("WSocketResolveHost: Cannot convert host address '%s', Error #%d",
                                       HostText.c_str(), api.WSAGetLastError()));
  std::uint32_t address;
  std::memcpy(&address, entry->h_addr_list[0], sizeof address);
  return address;
}

std::uint16_t WSocketResolvePort(const std::string& Port, const std::string& Proto) {
  if (Port.empty() || Port.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Port.");
  if (Proto.empty() || Proto.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Proto.");
  if (Port[0] >= '0' && Port[0] <= '9') {
    const int number = LeadingNumber(Port);
    if (number > 65535) throw ESocketException("WSocketResolvePort: Invalid Port.");
    return static_cast<std::uint16_t>(number);
  }
  const TWSocketApi& api = WSocketApi();
  servent* service = api.getservbyname(rtl::Trim(Port).c_str(), rtl::Trim(Proto).c_str());
  if (!service)
    throw ESocketException(rtl::Format("WSocketResolvePort: Cannot convert port '%s', Error #%d", Port.c_str(),
                                       api.WSAGetLastError()));
  return api.ntohs(static_cast<u_short>(service->s_port));
}

int WSocketResolveProto(const std::string& Proto) {
  if (Proto.empty() || Proto.size() >= 32) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
  const std::string proto = rtl::Trim(Proto);
  if (!proto.empty() && proto[0] >= '0' && proto[0] <= '9') return LeadingNumber(proto);
  const TWSocketApi& api = WSocketApi();
  protoent* entry = api.getprotobyname(proto.c_str());
  if (!entry)
    throw ESocketException(rtl::Format("WSocketResolveProto: Cannot convert protocol '%s', Error #%d",
                                       Proto.c_str(), api.WSAGetLastError()));
  return entry->p_proto;
}
