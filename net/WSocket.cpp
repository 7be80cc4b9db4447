#include "net/WSocket.h"

#include <cstring>

#include "net/core/SocketText.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Application.h"

namespace {
std::string Dotted(std::uint32_t address) {
  in_addr a;
  a.s_addr = address;
  const char* text = WSocketApi().inet_ntoa(a);
  return text ? text : "";
}
}  // namespace

TCustomWSocket::TCustomWSocket(rtl::TComponent* owner) : rtl::TComponent(owner) {
  // The hidden window: every socket event and lookup answer arrives there as
  // a posted message, so that no event fires inside the call that caused
  // it. Only the socket's private messages come here: the window's own
  // creation messages arrive while the socket is still being built.
  try {
    FWindow = std::make_unique<TLookupWindow>("XSocketWindowClass", WM_USER + 1, WM_USER + 20,
                                              [this](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                                                try {
                                                  return WndProc(message, wParam, lParam);
                                                } catch (const EOwnerFreed&) {
                                                  return 0;
                                                }
                                              });
  } catch (const rtl::Exception&) {
    throw ESocketException("Cannot create a hidden window for TWSocket");
  }
  ResetToDefaults();
  SocketCreated();
}

TCustomWSocket::~TCustomWSocket() {
  FDestroying = true;
  try {
    CancelLookup();
  } catch (const std::exception&) {
  }
  if (FState != wsClosed) {
    try {
      Close();
    } catch (const std::exception&) {
    }
  }
  // Before the count goes down: the last socket unloads the library.
  FSocket.Reset();
  SocketDestroyed();
  FQueue.Discard();
  // A lookup still out keeps the window (and its buffer) until it answers.
  TLookupWindow::Retire(std::move(FWindow));
}

void TCustomWSocket::Free() {
  if (FFrames == 0) {
    delete this;
    return;
  }
  try {
    Abort();
  } catch (const std::exception&) {
    // Closed as far as it goes; the destruction closes the rest.
  }
  FReleasePending = true;
}

HWND TCustomWSocket::WindowHandle() const { return FWindow ? FWindow->Handle() : nullptr; }

void TCustomWSocket::ResetToDefaults() {
  FSin = sockaddr_in{};
  FSin.sin_family = AF_INET;
  FAddrAssigned = FPortAssigned = false;
  FAddrResolved = FPortResolved = FProtoResolved = FLocalPortResolved = false;
  FProtoStr = "tcp";
  FProtoAssigned = true;
  FProto = IPPROTO_TCP;
  FType = SOCK_STREAM;
  FLocalPortStr = "0";
  FLocalPortNum = 0;
  FLocalAddr = "0.0.0.0";
  LingerOnOff = wsLingerOn;
  LingerTimeout = 0;
  FSocket.Reset();
  FSelectEvent = 0;
  FState = wsClosed;
  FAllSent = true;
  FPaused = false;
  FReadCount = 0;
  FCloseInvoked = false;
}

// ---------------------------------------------------------------- properties

// Addr, Port and Proto share one rule: the same text again changes nothing;
// anything else only while closed, and it must be resolved again.
void TCustomWSocket::SetDestinationPart(const std::string& value, const char* name, std::string& text,
                                        bool& assigned, bool& resolved) {
  const std::string trimmed = rtl::Trim(value);
  if (assigned && trimmed == text) return;
  if (FState != wsClosed) return RaiseError(std::string("Cannot change ") + name + " if not closed");
  text = trimmed;
  assigned = !trimmed.empty();
  resolved = false;
}

void TCustomWSocket::SetAddr(const std::string& value) {
  SetDestinationPart(value, "Addr", FAddrStr, FAddrAssigned, FAddrResolved);
}

void TCustomWSocket::SetPort(const std::string& value) {
  SetDestinationPart(value, "Port", FPortStr, FPortAssigned, FPortResolved);
}

void TCustomWSocket::SetProto(const std::string& value) {
  SetDestinationPart(value, "Proto", FProtoStr, FProtoAssigned, FProtoResolved);
}

void TCustomWSocket::SetLocalAddr(const std::string& value) {
  if (FState != wsClosed) return RaiseError("Cannot change LocalAddr if not closed");
  FLocalAddr = value.empty() ? "0.0.0.0" : value;
}

void TCustomWSocket::SetLocalPort(const std::string& value) {
  if (FState != wsClosed) return RaiseError("Cannot change LocalPort if not closed");
  FLocalPortStr = value;
  FLocalPortResolved = false;
}

void TCustomWSocket::SetSendFlags(int value) {
  if (value != wsSendNormal && value != wsSendUrgent) return RaiseError("Invalid SendFlags");
  FSendFlags = static_cast<TSocketSendFlags>(value);
}

// ---------------------------------------------------------------- errors

void TCustomWSocket::RaiseError(const std::string& msg) {
  FLastErrorMessage = msg;
  FLastErrorNumber = FReportedError;
  FReportedError = 0;
  if (OnError) {
    OnError(*this);
    return;
  }
  throw ESocketException(msg);
}

void TCustomWSocket::ReportSocketError(const std::string& step) {
  const int e = WSocketApi().WSAGetLastError();
  const std::string text = "Error " + std::to_string(e) + " in function " + step + "\r\n" + SocketErrorText(e);
  if (e == WSAECONNRESET || e == WSAENOTCONN) {
    FSocket.Reset();
    ForgetHandle();
    const unsigned epoch = FHandleEpoch;
    if (FState != wsClosed) TriggerSessionClosed(static_cast<std::uint16_t>(e));
    // Unless the handler has connected again.
    if (FHandleEpoch == epoch && !FSocket) ChangeState(wsClosed);
  }
  FLastError = e;
  FReportedError = e;
  RaiseError(text);
}

void TCustomWSocket::ChangeState(TSocketState newState) {
  const TSocketState old = FState;
  FState = newState;
  if (OnChangeState) OnChangeState(*this, old, newState);
}

// Without an OnBgException handler the failure goes to the application's
// error display, so that it is never lost; so does anything the handler or
// the abort raises in turn.
void TCustomWSocket::HandleEventException(const std::exception& e) {
  bool canClose = true;
  if (OnBgException) {
    try {
      OnBgException(*this, e, canClose);
    } catch (const EOwnerFreed&) {
      throw;
    } catch (...) {
      rtl::Application().HandleException();
    }
  } else if (!dynamic_cast<const rtl::EAbort*>(&e)) {
    rtl::Application().ShowException(e.what());
  }
  if (canClose) {
    try {
      Abort();
    } catch (const EOwnerFreed&) {
      throw;
    } catch (...) {
      rtl::Application().HandleException();
    }
  }
}

TCustomWSocket::TFrame::TFrame(TCustomWSocket& socket) : FSocket(socket) { ++FSocket.FFrames; }

TCustomWSocket::TFrame::~TFrame() {
  if (--FSocket.FFrames > 0 || !FSocket.FReleasePending) return;
  FSocket.FReleasePending = false;
  ::PostMessageA(FSocket.WindowHandle(), WM_RELEASE_LATER, 0, 0);
}

// ---------------------------------------------------------------- events

bool TCustomWSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!OnDataAvailable) return false;
  OnDataAvailable(*this, error);
  return true;
}
void TCustomWSocket::TriggerSessionConnected(std::uint16_t error) {
  if (OnSessionConnected) OnSessionConnected(*this, error);
}
void TCustomWSocket::TriggerSessionClosed(std::uint16_t error) {
  if (OnSessionClosed) OnSessionClosed(*this, error);
}
void TCustomWSocket::TriggerDataSent(std::uint16_t error) {
  if (OnDataSent) OnDataSent(*this, error);
}
void TCustomWSocket::TriggerSessionAvailable(std::uint16_t error) {
  if (OnSessionAvailable) OnSessionAvailable(*this, error);
}
void TCustomWSocket::TriggerDnsLookupDone(std::uint16_t error) {
  if (OnDnsLookupDone) OnDnsLookupDone(*this, error);
}

// ---------------------------------------------------------------- window

LRESULT TCustomWSocket::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RELEASE_LATER) {
    // Nested message loops (Flush, closing, waiting) run this message while
    // a frame of this socket may still be further up the stack; the object
    // then goes when the last of them has returned.
    if (FFrames > 0) {
      FReleasePending = true;
      return 0;
    }
    delete this;
    return 0;
  }
  TFrame frame(*this);
  try {
    switch (message) {
      case WM_SOCKET_EVENT: HandleSocketEvent(wParam, lParam); return 0;
      case WM_LOOKUP_DONE:
      case WM_REVERSE_LOOKUP_DONE: HandleLookupDone(message, wParam, lParam); return 0;
      case WM_CLOSE_LATER: Close(); return 0;
      case WM_TEST_EXCEPTION: throw ESocketException("Test exception in WSocket");
      default: return 0;
    }
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
  return 0;
}

void TCustomWSocket::HandleSocketEvent(WPARAM wParam, LPARAM lParam) {
  const auto handle = static_cast<SOCKET>(wParam);
  if (handle != FSocket.Get() || FPaused) return;
  const WORD events = LOWORD(lParam);
  const auto error = static_cast<std::uint16_t>(HIWORD(lParam));
  // One message may carry several events. A handler of an earlier one may
  // close the socket (which reports the close itself) or even open another;
  // the rest of the message then belongs to a handle that is gone.
  const unsigned epoch = FHandleEpoch;
  const auto current = [&] { return FSocket && FSocket.Get() == handle && FHandleEpoch == epoch; };
  if ((events & FD_CONNECT) && FState != wsConnected) {
    ChangeState(wsConnected);
    TriggerSessionConnected(error);
    if (error != 0 && current() && FState != wsClosed) Close();
  }
  if ((events & FD_READ) && current()) {
    if (FState != wsConnected) {
      ChangeState(wsConnected);
      TriggerSessionConnected(error);
    }
    ReceiveLoop(error, ComponentOptions);
  }
  if ((events & FD_WRITE) && current()) {
    TryToSend();
    // An OnSendData handler may have closed the socket or opened another.
    if (current() && FAllSent) TriggerDataSent(error);
  }
  if ((events & FD_ACCEPT) && current()) TriggerSessionAvailable(error);
  if ((events & FD_CLOSE) && current() && FState != wsConnecting) {
    // Deliver everything still pending before reporting the close.
    ReceiveLoop(0, (ComponentOptions & ~static_cast<unsigned>(wsoNoReceiveLoop)) | kDrainAll);
    if (!FCloseInvoked) {
      FCloseInvoked = true;
      TriggerSessionClosed(error);
    }
    // A handler may have closed the socket, or connected it anew.
    if (current() && FState != wsClosed) Close();
  }
}

// ---------------------------------------------------------------- receiving

void TCustomWSocket::ReceiveLoop(std::uint16_t error, unsigned options) {
  const DWORD start = ::GetTickCount();
  // A handler may close this connection and open another on the same socket:
  // the loop belongs to the connection it began with.
  const SOCKET handle = FSocket.Get();
  const unsigned epoch = FHandleEpoch;
  const auto current = [&] { return FSocket && FSocket.Get() == handle && FHandleEpoch == epoch; };
  for (int pass = 0; pass < kReceivePasses && current(); ++pass) {
    FLastError = 0;
    const std::int64_t readBefore = FReadCount;
    bool discarded = false;
    try {
      if (!TriggerDataAvailable(error)) {
        char discard[1024];
        const int n = RawReceive(discard, sizeof discard, 0);
        discarded = n > 0;
        if (n < 0) {
          FLastError = WSocketApi().WSAGetLastError();
          if (FLastError == WSAEWOULDBLOCK) {
            FLastError = 0;
            return;
          }
        }
      }
    } catch (const std::exception& e) {
      HandleEventException(e);
      return;
    }
    if (options & wsoNoReceiveLoop) return;
    if (FLastError != 0 || !current()) return;
    u_long pending = 0;
    if (WSocketApi().ioctlsocket(FSocket.Get(), FIONREAD, &pending) == SOCKET_ERROR) {
      FLastError = WSocketApi().WSAGetLastError();
      return;
    }
    if (pending == 0) return;
    // A handler that takes nothing would be called again and again without
    // end; the data waits for its next notification instead.
    if (FReadCount == readBefore && !discarded) return;
    // A peer that never stops sending must not hold the message loop (and
    // every time limit that it checks) here. Windows Sockets reports FD_READ
    // again only after a read, so the next round is posted explicitly.
    if (!(options & kDrainAll) && ::GetTickCount() - start >= kReceiveSliceMs) {
      ::PostMessageA(WindowHandle(), WM_SOCKET_EVENT, static_cast<WPARAM>(FSocket.Get()), MAKELPARAM(FD_READ, 0));
      return;
    }
  }
}

int TCustomWSocket::RawReceive(void* buffer, int size, int flags) {
  return WSocketApi().recv(FSocket.Get(), static_cast<char*>(buffer), size, flags);
}

int TCustomWSocket::Receive(void* buffer, int size) {
  const int n = RawReceive(buffer, size, 0);
  if (n < 0) FLastError = WSocketApi().WSAGetLastError();
  else FReadCount += n;
  return n;
}

int TCustomWSocket::RcvdCount() {
  u_long pending = 0;
  if (WSocketApi().ioctlsocket(FSocket.Get(), FIONREAD, &pending) == SOCKET_ERROR) {
    ReportSocketError("ioctlSocket");
    return -1;
  }
  return static_cast<int>(pending);
}

std::string TCustomWSocket::ReceiveText() {
  int n = RcvdCount();
  if (n < 0) return std::string();
  if (n == 0) n = 255;
  std::string text(static_cast<size_t>(n), '\0');
  const int got = Receive(&text[0], n);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// ---------------------------------------------------------------- sending

int TCustomWSocket::Send(const void* data, int length) {
  if (FState != wsConnected) {
    WSocketApi().WSASetLastError(WSAENOTCONN);
    ReportSocketError("Send");
    return -1;
  }
  FAllSent = false;
  int result = 0;
  if (length > 0) {
    FQueue.Queue(data, length);
    result = length;
  }
  TryToSend();
  // Completion is reported from the message loop, never from inside Send.
  if (FAllSent && FSocket && WindowHandle())
    ::PostMessageA(WindowHandle(), WM_SOCKET_EVENT, static_cast<WPARAM>(FSocket.Get()), MAKELPARAM(FD_WRITE, 0));
  return result;
}

int TCustomWSocket::SendText(const std::string& text) {
  if (text.empty()) return 0;
  return Send(text.data(), static_cast<int>(text.size()));
}

int TCustomWSocket::RawSend(const void* data, int length) {
  int result;
  if (FType == SOCK_DGRAM)
    result = WSocketApi().sendto(FSocket.Get(), static_cast<const char*>(data), length, FSendFlags == wsSendUrgent ? MSG_OOB : 0,
                                 reinterpret_cast<const sockaddr*>(&FSin), sizeof FSin);
  else
    result = WSocketApi().send(FSocket.Get(), static_cast<const char*>(data), length, FSendFlags == wsSendUrgent ? MSG_OOB : 0);
  if (result > 0 && OnSendData) OnSendData(*this, result);
  return result;
}

void TCustomWSocket::TryToSend() {
  if (!FSocket || FQueue.ChunkCount() == 0) return;
  int failure = 0;
  const TSendOutcome outcome = FQueue.TryToSend([&](const unsigned char* data, int length, int& sent) {
    const int r = RawSend(data, length);
    if (r == SOCKET_ERROR) {
      failure = WSocketApi().WSAGetLastError();
      return failure == WSAEWOULDBLOCK ? TSendOutcome::WouldBlock : TSendOutcome::Failed;
    }
    sent = r;
    return TSendOutcome::Sent;
  });
  // Discarded: an OnSendData handler emptied the queue (Abort, Connect,
  // Listen); the socket is then the handler's business.
  if (outcome == TSendOutcome::Sent) {
    FAllSent = true;
  } else if (outcome == TSendOutcome::Failed) {
    if (failure == WSAECONNRESET || failure == WSAENOTSOCK || failure == WSAENOTCONN || failure == WSAEINVAL ||
        failure == WSAECONNABORTED) {
      FCloseInvoked = true;
      Close();
      TriggerSessionClosed(static_cast<std::uint16_t>(failure));
    } else {
      WSocketApi().WSASetLastError(failure);
      ReportSocketError("TryToSend failed");
    }
  }
}

void TCustomWSocket::Flush() {
  TFrame frame(*this);
  // Bounded wait: a peer that never reads ends it with a close.
  for (int i = 0; i < 600000 && FSocket.Valid() && !FAllSent; ++i) {
    TryToSend();
    PumpMessages();
    if (!FAllSent) ::Sleep(1);
  }
}

void TCustomWSocket::PumpMessages() {
  TFrame frame(*this);
  if (!MultiThreaded) {
    rtl::Application().ProcessMessages();
    return;
  }
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// ---------------------------------------------------------------- connecting

void TCustomWSocket::ResolveDestination(const std::string& what, bool forListen) {
  try {
    if (!FProtoResolved) {
      FProto = WSocketResolveProto(FProtoStr);
      FType = FProto == IPPROTO_TCP ? SOCK_STREAM : FProto == IPPROTO_UDP ? SOCK_DGRAM : (forListen ? SOCK_STREAM : SOCK_RAW);
      FProtoResolved = true;
    }
    if (!FPortResolved) {
      FSin.sin_port = WSocketApi().htons(WSocketResolvePort(FPortStr, FProtoStr));
      FPortResolved = true;
    }
    if (!FLocalPortResolved) {
      FLocalPortNum = WSocketResolvePort(FLocalPortStr, FProtoStr);
      FLocalPortResolved = true;
    }
    if (!FAddrResolved) {
      FSin.sin_addr.s_addr = WSocketResolveHost(FAddrStr);
      FAddrResolved = true;
    }
  } catch (const ESocketException& e) {
    throw ESocketException(what + ": " + e.Message());
  }
}

void TCustomWSocket::Connect() {
  if (FSocket && FState != wsClosed) return RaiseError("Connect: Socket already in use");
  if (!FPortAssigned) return RaiseError("Connect: No Port Specified");
  if (!FAddrAssigned) return RaiseError("Connect: No IP Address Specified");
  if (!FProtoAssigned) return RaiseError("Connect: No Protocol Specified");
  try {
    ResolveDestination("connect", false);
  } catch (const ESocketException& e) {
    return RaiseError(e.Message());
  }
  FQueue.Discard();
  FSocket.Reset(WSocketApi().socket(AF_INET, FType, FProto));
  if (!FSocket) return ReportSocketError("Connect (socket)");
  BeginConnection();
  ChangeState(wsOpened);
  if (FState != wsOpened) {
    WSocketApi().WSASetLastError(WSAEINVAL);
    return ReportSocketError("Connect (Invalid operation in OnChangeState)");
  }
  const TWSocketApi& api = WSocketApi();
  if (FType == SOCK_DGRAM) {
    BindLocal();
    if (MultiCast && MultiCastIpTTL != 1) {
      const int ttl = MultiCastIpTTL;
      if (api.setsockopt(FSocket.Get(), IPPROTO_IP, 3 /* IP_MULTICAST_TTL of Windows Sockets 1.1 */,
                         reinterpret_cast<const char*>(&ttl), sizeof ttl) == SOCKET_ERROR)
        return ReportSocketError("setsockopt(IP_MULTICAST_TTL)");
    }
    if (FSin.sin_addr.s_addr == INADDR_BROADCAST) {
      const int one = 1;
      if (api.setsockopt(FSocket.Get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&one), sizeof one) == SOCKET_ERROR)
        return ReportSocketError("setsockopt(SO_BROADCAST)");
    }
  } else {
    const int on = -1;
    if (api.setsockopt(FSocket.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) == SOCKET_ERROR)
      return ReportSocketError("setsockopt(SO_REUSEADDR)");
    if ((ComponentOptions & wsoTcpNoDelay) &&
        api.setsockopt(FSocket.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) == SOCKET_ERROR)
      return ReportSocketError("setsockopt(IPPROTO_TCP, TCP_NODELAY)");
    ApplyLinger();
    if (api.setsockopt(FSocket.Get(), SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on) == SOCKET_ERROR)
      return ReportSocketError("setsockopt(SO_KEEPALIVE)");
    if (FLocalPortNum != 0 || FLocalAddr != "0.0.0.0") BindLocal();
  }
  FSelectEvent = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
  if (api.WSAAsyncSelect(FSocket.Get(), WindowHandle(), WM_SOCKET_EVENT, FSelectEvent) == SOCKET_ERROR)
    return ReportSocketError("WSAAsyncSelect");
  if (FType == SOCK_DGRAM) {
    ChangeState(wsConnected);
    TriggerSessionConnected(0);
    return;
  }
  if (api.connect(FSocket.Get(), reinterpret_cast<const sockaddr*>(&FSin), sizeof FSin) == 0) {
    ChangeState(wsConnecting);
    return;
  }
  FLastError = api.WSAGetLastError();
  if (FLastError == WSAEWOULDBLOCK) {
    ChangeState(wsConnecting);
    return;
  }
  ReportSocketError("Connect");
}

void TCustomWSocket::ApplyLinger() {
  if (LingerOnOff == wsLingerNoSet) return;
  if (!FSocket) return RaiseError("Cannot set linger option at this time");
  if (LingerTimeout < 0 || LingerTimeout > 65535)
    return RaiseError("Linger timeout " + std::to_string(LingerTimeout) + " s does not fit 16 bits (0 to 65535)");
  linger l;
  l.l_onoff = static_cast<u_short>(LingerOnOff == wsLingerOn ? 1 : 0);
  l.l_linger = static_cast<u_short>(LingerTimeout);
  if (WSocketApi().setsockopt(FSocket.Get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l) ==
      SOCKET_ERROR)
    ReportSocketError("setsockopt(SO_LINGER)");
}

void TCustomWSocket::BindLocal() {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = WSocketApi().htons(FLocalPortNum);
  local.sin_addr.s_addr = WSocketResolveHost(FLocalAddr);
  if (WSocketApi().bind(FSocket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    return RaiseError(rtl::Format("winsock.bind failed, error #%d", WSocketApi().WSAGetLastError()));
  int length = sizeof local;
  if (WSocketApi().getsockname(FSocket.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
    return RaiseError(rtl::Format("winsock.getsockname failed, error #%d", WSocketApi().WSAGetLastError()));
  FLocalPortNum = WSocketApi().ntohs(local.sin_port);
  FLocalPortStr = std::to_string(FLocalPortNum);
}

// ---------------------------------------------------------------- closing

void TCustomWSocket::CloseSocketHandle(bool doShutdown, int error) {
  if (!FSocket) {
    if (FState != wsClosed) {
      ChangeState(wsClosed);
      ResetToDefaults();
    }
    return;
  }
  if (FState == wsClosed) return;
  TFrame frame(*this);
  const TWSocketApi& api = WSocketApi();
  if (doShutdown) api.shutdown(FSocket.Get(), 1);
  for (int attempt = 0;; ++attempt) {
    if (api.closesocket(FSocket.Get()) == 0) break;
    FLastError = api.WSAGetLastError();
    if (FLastError == WSAEWOULDBLOCK && attempt < 1000) {
      PumpMessages();
      continue;
    }
    if (FLastError == WSANOTINITIALISED) break;
    FSocket.Release();
    ForgetHandle();
    return ReportSocketError("Disconnect (closesocket)");
  }
  FSocket.Release();
  ForgetHandle();
  const unsigned epoch = FHandleEpoch;
  ChangeState(wsClosed);
  if (!FDestroying && !FCloseInvoked) {
    FCloseInvoked = true;
    FLocalClose = true;
    struct TLocalCloseEnd {
      bool& flag;
      ~TLocalCloseEnd() { flag = false; }
    } localCloseEnd{FLocalClose};
    TriggerSessionClosed(static_cast<std::uint16_t>(error));
  }
  // A handler that connected again (or listens) keeps its new connection.
  if (FHandleEpoch == epoch && !FSocket) ResetToDefaults();
}

// What a closed connection leaves behind (when a handler connected anew from
// inside its close, the reset to defaults was skipped) is not the new one's.
void TCustomWSocket::BeginConnection() {
  FCloseInvoked = false;
  FAllSent = true;
  FPaused = false;
  FReadCount = 0;
}

void TCustomWSocket::ForgetHandle() {
  ++FHandleEpoch;
  const HWND window = WindowHandle();
  if (!window) return;
  MSG stale;
  for (int i = 0; i < 100000 && ::PeekMessageA(&stale, window, WM_SOCKET_EVENT, WM_SOCKET_EVENT, PM_REMOVE); ++i) {
    // Wine hands out a WM_QUIT whatever the filter says: it belongs to the
    // loop that owns it.
    if (stale.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(stale.wParam));
      return;
    }
  }
}

void TCustomWSocket::Abort() {
  CancelLookup();
  FQueue.Discard();
  if (FState == wsConnected && FProto == IPPROTO_TCP) {
    LingerOnOff = wsLingerOff;
    ApplyLinger();
  }
  CloseSocketHandle(false, 0);
}

void TCustomWSocket::CloseLater() { ::PostMessageA(WindowHandle(), WM_CLOSE_LATER, 0, 0); }
void TCustomWSocket::ReleaseLater() { ::PostMessageA(WindowHandle(), WM_RELEASE_LATER, 0, 0); }

void TCustomWSocket::Shutdown(int how) {
  if (FSocket) WSocketApi().shutdown(FSocket.Get(), how);
}

void TCustomWSocket::Pause() {
  FPaused = true;
  WSocketApi().WSAAsyncSelect(FSocket.Get(), WindowHandle(), 0, 0);
}

void TCustomWSocket::Resume() {
  FPaused = false;
  WSocketApi().WSAAsyncSelect(FSocket.Get(), WindowHandle(), WM_SOCKET_EVENT, FSelectEvent);
}

// ---------------------------------------------------------------- server side

void TCustomWSocket::Listen() {
  const TWSocketApi& api = WSocketApi();
  const char* missing = !FPortAssigned ? "listen: port not assigned"
                        : !FProtoAssigned ? "listen: protocol not assigned"
                        : !FAddrAssigned ? "listen: address not assigned"
                                         : nullptr;
  if (missing) {
    api.WSASetLastError(WSAEINVAL);
    return ReportSocketError(missing);
  }
  try {
    ResolveDestination("listen", true);
  } catch (const ESocketException& e) {
    return RaiseError(e.Message());
  }
  FQueue.Discard();
  FSocket.Reset(api.socket(AF_INET, FType, FProto));
  if (!FSocket) return ReportSocketError("socket");
  BeginConnection();
  // Until it is bound the state is still wsClosed, where Close leaves the
  // handle alone: a failure here closes it itself.
  const auto failUnbound = [&](const char* step) {
    const int e = api.WSAGetLastError();
    FSocket.Reset();
    ForgetHandle();
    api.WSASetLastError(e);
    ReportSocketError(step);
  };
  if (FType == SOCK_DGRAM && ReuseAddr) {
    const int on = -1;
    if (api.setsockopt(FSocket.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) == SOCKET_ERROR)
      return failUnbound("setsockopt(SO_REUSEADDR)");
  }
  if (api.bind(FSocket.Get(), reinterpret_cast<const sockaddr*>(&FSin), sizeof FSin) != 0) return failUnbound("Bind");
  ChangeState(wsBound);
  if (FType == SOCK_DGRAM && MultiCast) {
    struct {
      std::uint32_t group, iface;
    } membership{static_cast<std::uint32_t>(api.inet_addr(MultiCastAddrStr.c_str())), INADDR_ANY};
    if (api.setsockopt(FSocket.Get(), IPPROTO_IP, 5 /* IP_ADD_MEMBERSHIP of Windows Sockets 1.1 */,
                       reinterpret_cast<const char*>(&membership), sizeof membership) == SOCKET_ERROR)
      return ReportSocketError("setsockopt(IP MULTICAST)");
  }
  if (FType == SOCK_STREAM) {
    if (api.listen(FSocket.Get(), 5) != 0) return ReportSocketError("Listen");
    ChangeState(wsListening);
  } else {
    ChangeState(wsListening);
    ChangeState(wsConnected);
    TriggerSessionConnected(0);
  }
  // The port actually bound, for a listener on port 0.
  sockaddr_in bound{};
  int length = sizeof bound;
  if (api.getsockname(FSocket.Get(), reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    FLocalPortNum = api.ntohs(bound.sin_port);
    FLocalPortStr = std::to_string(FLocalPortNum);
  }
  FSelectEvent = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
  if (api.WSAAsyncSelect(FSocket.Get(), WindowHandle(), WM_SOCKET_EVENT, FSelectEvent) == SOCKET_ERROR)
    ReportSocketError("WSAASyncSelect");
}

SOCKET TCustomWSocket::Accept() {
  const TWSocketApi& api = WSocketApi();
  if (FState != wsListening) {
    api.WSASetLastError(WSAEINVAL);
    ReportSocketError("not a listening socket");
    return INVALID_SOCKET;
  }
  int length = sizeof FSin;
  const SOCKET accepted = api.accept(FSocket.Get(), reinterpret_cast<sockaddr*>(&FSin), &length);
  if (accepted == INVALID_SOCKET) ReportSocketError("Accept");
  return accepted;
}

void TCustomWSocket::Dup(SOCKET accepted) {
  const TWSocketApi& api = WSocketApi();
  if (accepted == 0 || accepted == INVALID_SOCKET) {
    api.WSASetLastError(WSAEINVAL);
    return ReportSocketError("Dup");
  }
  if (FState != wsClosed) {
    if (api.closesocket(FSocket.Release()) != 0) return ReportSocketError("Dup (closesocket)");
    ForgetHandle();
    ChangeState(wsClosed);
  }
  FSocket.Reset(accepted);
  BeginConnection();
  ApplyLinger();
  FSelectEvent = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
  if (api.WSAAsyncSelect(FSocket.Get(), WindowHandle(), WM_SOCKET_EVENT, FSelectEvent) == SOCKET_ERROR)
    return ReportSocketError("WSAAsyncSelect");
  ChangeState(wsConnected);
}

// ---------------------------------------------------------------- addresses

std::string TCustomWSocket::PeerAddr() {
  if (FState != wsConnected) return "error";
  sockaddr_in peer{};
  int length = sizeof peer;
  if (WSocketApi().getpeername(FSocket.Get(), reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
    ReportSocketError("GetPeerName");
    return "error";
  }
  return Dotted(peer.sin_addr.s_addr);
}

std::string TCustomWSocket::PeerPort() {
  if (FState != wsConnected) return "error";
  sockaddr_in peer{};
  int length = sizeof peer;
  if (WSocketApi().getpeername(FSocket.Get(), reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
    ReportSocketError("GetPeerPort");
    return "error";
  }
  return std::to_string(WSocketApi().ntohs(peer.sin_port));
}

// ---------------------------------------------------------------- lookups

// A new lookup silently replaces a pending one and starts with no result.
// The replaced one still runs in the system (see LookupWindow.h); its answer
// is dropped when it comes.
void TCustomWSocket::StartFreshLookup() {
  FDnsLookupHandle = nullptr;
  FDnsResult.clear();
  FDnsResultList.clear();
}

void TCustomWSocket::DnsLookup(const std::string& hostName) {
  if (hostName.empty()) {
    RaiseError("DNS lookup: invalid host name.");
    TriggerDnsLookupDone(WSAEINVAL);
    return;
  }
  const TWSocketApi& api = WSocketApi();
  StartFreshLookup();
  const unsigned long dotted = api.inet_addr(hostName.c_str());
  if (dotted != INADDR_NONE) {
    FDnsResult = Dotted(static_cast<std::uint32_t>(dotted));
    TriggerDnsLookupDone(0);
    return;
  }
  if (!WindowHandle()) return RaiseError("DnsLookup: Window not assigned");
  FDnsLookupHandle = FWindow->StartByName(WM_LOOKUP_DONE, hostName);
  if (!FDnsLookupHandle)
    return RaiseError(rtl::Format("%s: can't start DNS lookup, error #%d", hostName.c_str(), api.WSAGetLastError()));
}

void TCustomWSocket::HandleLookupDone(UINT message, WPARAM wParam, LPARAM lParam) {
  // The reply is taken whether or not it is still awaited: an answer to a
  // replaced or cancelled lookup frees its buffer and goes no further.
  const auto request = reinterpret_cast<HANDLE>(wParam);
  const TLookupReply reply = FWindow->TakeReply(message, request);
  if (!reply || request != FDnsLookupHandle) return;
  FDnsLookupHandle = nullptr;
  const auto error = static_cast<std::uint16_t>(HIWORD(lParam));
  const auto* entry = reinterpret_cast<const hostent*>(reply.get());
  if (error == 0 && message == WM_REVERSE_LOOKUP_DONE) {
    FDnsResult = entry->h_name ? entry->h_name : "";
    FDnsResultList.assign(1, FDnsResult);
  } else if (error == 0) {
    for (int i = 0; entry->h_addr_list && entry->h_addr_list[i] && i < 256; ++i) {
      std::uint32_t a;
      std::memcpy(&a, entry->h_addr_list[i], 4);
      FDnsResultList.push_back(Dotted(a));
    }
    if (!FDnsResultList.empty()) FDnsResult = FDnsResultList.front();
  }
  TriggerDnsLookupDone(error);
}

// Windows Sockets' own cancel is not used: under Wine it stops nothing, and
// the answer written later must find its buffer (see LookupWindow.h). The
// lookup is forgotten here and its answer dropped when it comes.
void TCustomWSocket::CancelLookup() {
  if (!FDnsLookupHandle) return;
  FDnsLookupHandle = nullptr;
  if (!FDestroying) TriggerDnsLookupDone(WSAEINTR);
}

// ---------------------------------------------------------------- datagrams and local texts

int TCustomWSocket::SendTo(const sockaddr_in& dest, const void* data, int length) {
  const int result = WSocketApi().sendto(FSocket.Get(), static_cast<const char*>(data), length,
                                         FSendFlags == wsSendUrgent ? MSG_OOB : 0,
                                         reinterpret_cast<const sockaddr*>(&dest), sizeof dest);
  if (result > 0 && OnSendData) OnSendData(*this, result);
  return result;
}

int TCustomWSocket::ReceiveFrom(void* buffer, int size, sockaddr_in& from) {
  int length = sizeof from;
  const int n = WSocketApi().recvfrom(FSocket.Get(), static_cast<char*>(buffer), size, 0,
                                      reinterpret_cast<sockaddr*>(&from), &length);
  if (n < 0) FLastError = WSocketApi().WSAGetLastError();
  else FReadCount += n;
  return n;
}

std::string TCustomWSocket::GetXAddr() {
  if (FState != wsBound && FState != wsConnected && FState != wsListening) return "error";
  sockaddr_in local{};
  int length = sizeof local;
  if (WSocketApi().getsockname(FSocket.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return "error";
  return Dotted(local.sin_addr.s_addr);
}

std::string TCustomWSocket::GetXPort() {
  if (FState != wsBound && FState != wsConnected && FState != wsListening) return "error";
  sockaddr_in local{};
  int length = sizeof local;
  if (WSocketApi().getsockname(FSocket.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return "error";
  return std::to_string(WSocketApi().ntohs(local.sin_port));
}

void TCustomWSocket::ReverseDnsLookup(const std::string& addrText) {
  if (addrText.empty() || addrText.size() > 256) {
    RaiseError("ReverseDnsLookup: Invalid host name.");
    TriggerDnsLookupDone(WSAEINVAL);
    return;
  }
  const TWSocketApi& api = WSocketApi();
  StartFreshLookup();
  const auto address = static_cast<std::uint32_t>(api.inet_addr(addrText.c_str()));
  if (!WindowHandle()) return RaiseError("ReverseDnsLookup: Window not assigned");
  FDnsLookupHandle = FWindow->StartByAddr(WM_REVERSE_LOOKUP_DONE, address);
  if (!FDnsLookupHandle)
    RaiseError(rtl::Format("%s: can't start DNS lookup, error #%d", addrText.c_str(), api.WSAGetLastError()));
}
