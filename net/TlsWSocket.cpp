#include "net/TlsWSocket.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "net/CertificateCheck.h"
#include "net/SchannelContext.h"

namespace {
// Plain text held for the application at most before more records are
// read: a reader that takes nothing leaves the rest in the system's buffer.
constexpr size_t kPlainLimit = 256 * 1024;
// Each read of the socket takes as much as the session has room for: under
// Wine a read costs far more than the bytes it copies.
constexpr size_t kRawPiece = TTlsSession::kMaxHeld;
}  // namespace

// One TLS connection: the engine, the session over it, and what the
// session reported that the layer has not yet acted on.
struct TCustomTlsWSocket::TState {
  explicit TState(const std::string& host) : Engine(host), Session(Engine, host), Host(host), Raw(kRawPiece) {}
  TSchannelContext Engine;
  TTlsSession Session;
  std::string Host;
  std::string Out;
  std::string Plain;
  size_t PlainAt = 0;
  bool CheckWanted = false, Established = false, Failed = false;
  TTlsError Error = TTlsError::HandshakeFailed;
  std::string Message;
  std::unique_ptr<TCertificateCheck> Check;
  std::vector<char> Raw;
  // Reads of the layer itself, which go past the plain text.
  bool RawRead = false;

  size_t PlainHeld() const { return Plain.size() - PlainAt; }
};

TCustomTlsWSocket::~TCustomTlsWSocket() = default;

void TCustomTlsWSocket::ResetToDefaults() {
  TCustomSocksWSocket::ResetToDefaults();
  // A check still running finishes alone; its verdict finds no connection.
  FTls.reset();
}

bool TCustomTlsWSocket::Current(const std::shared_ptr<TState>& tls) const {
  return FTls == tls && State() == wsConnected;
}

void TCustomTlsWSocket::StartTls(const std::string& host, const std::string& early) {
  if (State() != wsConnected) return RaiseError("StartTls: Socket is not connected");
  if (FTls) return RaiseError("StartTls: TLS runs on this connection already");
  std::shared_ptr<TState> tls;
  try {
    tls = std::make_shared<TState>(host);
  } catch (const ESocketException& e) {
    return RaiseError(e.Message());
  }
  // The session only reports; the layer acts afterwards (AfterSession), so
  // that nothing closes the connection from inside the session.
  TState* t = tls.get();
  t->Session.OnSend = [t](const std::string& bytes) { t->Out += bytes; };
  t->Session.OnCheckPeer = [t] { t->CheckWanted = true; };
  t->Session.OnEstablished = [t] { t->Established = true; };
  t->Session.OnData = [t](const std::string& data) {
    if (t->PlainAt == t->Plain.size()) {
      t->Plain.clear();
      t->PlainAt = 0;
    }
    t->Plain += data;
  };
  t->Session.OnClosed = [this](bool notice) { FCloseNotice = notice; };
  t->Session.OnError = [t](TTlsError error, const std::string& msg) {
    t->Failed = true;
    t->Error = error;
    t->Message = msg;
  };
  FTls = tls;
  FCloseNotice = false;
  FDescription.clear();
  try {
    t->Session.Start();
    if (!early.empty()) t->Session.Feed(early.data(), std::min(early.size(), t->Session.Room()));
  } catch (const std::exception& e) {
    // No credentials from the system, say: the handshake never began.
    return Failed(tls, TTlsError::HandshakeFailed, e.what());
  }
  AfterSession(tls);
}

void TCustomTlsWSocket::Failed(const std::shared_ptr<TState>& tls, TTlsError error, const std::string& msg) {
  const unsigned epoch = HandleEpoch();
  if (OnTlsError) OnTlsError(*this, error, msg);
  // A handler that closed the socket, or connected it anew, keeps what it made.
  if (HandleEpoch() == epoch && FTls == tls && State() == wsConnected) CloseSocketHandle(true, WSAECONNABORTED);
}

bool TCustomTlsWSocket::AfterSession(const std::shared_ptr<TState>& tls) {
  for (int pass = 0; pass < 4; ++pass) {
    if (!Current(tls)) return false;
    if (!tls->Out.empty()) {
      std::string out;
      out.swap(tls->Out);
      TCustomSocksWSocket::Send(out.data(), static_cast<int>(out.size()));
      if (!Current(tls)) return false;
    }
    if (tls->Failed) {
      tls->Failed = false;
      Failed(tls, tls->Error, tls->Message);
      return false;
    }
    if (!tls->CheckWanted) break;
    tls->CheckWanted = false;
    std::string problem;
    if (PCCERT_CONTEXT certificate = tls->Engine.PeerCertificate()) {
      try {
        tls->Check = std::make_unique<TCertificateCheck>(certificate, tls->Host, WindowHandle(), WM_TLS_CHECKED,
                                                         ++FCheckSerial);
      } catch (const ESocketException& e) {
        problem = e.Message();
      }
    } else {
      problem = tls->Host + " sent no certificate";
    }
    if (tls->Check) break;
    // No check could start: that verdict is given at once, and acted on
    // in the next pass.
    tls->Session.PeerChecked(problem);
  }
  if (tls->Established) {
    tls->Established = false;
    FDescription = tls->Engine.Description();
    if (OnTlsEstablished) OnTlsEstablished(*this);
  }
  return Current(tls);
}

void TCustomTlsWSocket::DeliverPlain(const std::shared_ptr<TState>& tls) {
  for (int pass = 0; pass < 100000 && Current(tls) && tls->PlainHeld() > 0; ++pass) {
    const size_t before = tls->PlainHeld();
    // Without a handler the text is dropped, as the plain socket drops
    // what nobody reads.
    if (!TCustomSocksWSocket::TriggerDataAvailable(0)) {
      tls->Plain.clear();
      tls->PlainAt = 0;
      return;
    }
    // A handler that takes nothing now is asked again at the next record.
    if (FTls == tls && tls->PlainHeld() == before) return;
  }
}

bool TCustomTlsWSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!FTls) return TCustomSocksWSocket::TriggerDataAvailable(error);
  const std::shared_ptr<TState> tls = FTls;
  // A bounded number of pieces per notification, so that the message loop
  // keeps turning while a server sends without end.
  for (int round = 0; round < 16 && Current(tls); ++round) {
    const size_t room = std::min(tls->Session.Room(), tls->Raw.size());
    if (room == 0 || tls->PlainHeld() >= kPlainLimit) break;
    int n;
    {
      tls->RawRead = true;
      struct TRawEnd {
        TState& t;
        ~TRawEnd() { t.RawRead = false; }
      } rawEnd{*tls};
      n = Receive(tls->Raw.data(), static_cast<int>(room));
    }
    if (n <= 0) break;
    try {
      tls->Session.Feed(tls->Raw.data(), static_cast<size_t>(n));
    } catch (const std::exception& e) {
      Failed(tls, TTlsError::DecryptFailed, e.what());
      return true;
    }
    if (!AfterSession(tls)) return true;
    DeliverPlain(tls);
  }
  DeliverPlain(tls);
  return true;
}

int TCustomTlsWSocket::RawReceive(void* buffer, int size, int flags) {
  if (!FTls || FTls->RawRead) return TCustomSocksWSocket::RawReceive(buffer, size, flags);
  TState& t = *FTls;
  if (size <= 0 || t.PlainHeld() == 0) {
    // Nothing to read yet; after the server's close notice, the end.
    if (t.Session.CurrentPhase() == TTlsSession::Phase::Ended && FCloseNotice) return 0;
    WSocketApi().WSASetLastError(WSAEWOULDBLOCK);
    return -1;
  }
  const size_t n = std::min(static_cast<size_t>(size), t.PlainHeld());
  std::memcpy(buffer, t.Plain.data() + t.PlainAt, n);
  t.PlainAt += n;
  if (t.PlainAt == t.Plain.size()) {
    t.Plain.clear();
    t.PlainAt = 0;
  }
  return static_cast<int>(n);
}

int TCustomTlsWSocket::RcvdCount() {
  if (!FTls) return TCustomSocksWSocket::RcvdCount();
  return static_cast<int>(FTls->PlainHeld());
}

int TCustomTlsWSocket::Send(const void* data, int length) {
  if (!FTls || length <= 0) return TCustomSocksWSocket::Send(data, length);
  const std::shared_ptr<TState> tls = FTls;
  if (tls->Session.CurrentPhase() != TTlsSession::Phase::Open) {
    RaiseError("Send: the TLS connection is not open");
    return -1;
  }
  tls->Session.Send(std::string(static_cast<const char*>(data), static_cast<size_t>(length)));
  return AfterSession(tls) ? length : -1;
}

void TCustomTlsWSocket::TriggerSessionClosed(std::uint16_t error) {
  const std::shared_ptr<TState> tls = FTls;
  // The server closed: the text still held goes first, then the session
  // learns of the end (during the handshake, a failure).
  if (tls && !LocalClose()) {
    DeliverPlain(tls);
    if (FTls == tls) {
      tls->Session.TransportClosed();
      if (tls->Failed) {
        tls->Failed = false;
        if (OnTlsError) OnTlsError(*this, tls->Error, tls->Message);
      }
    }
  }
  TCustomSocksWSocket::TriggerSessionClosed(error);
}

LRESULT TCustomTlsWSocket::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TLS_CHECKED) return TCustomSocksWSocket::WndProc(message, wParam, lParam);
  TFrame frame(*this);
  try {
    const std::shared_ptr<TState> tls = FTls;
    if (!tls || !tls->Check || tls->Check->Id() != wParam || !tls->Check->Done()) return 0;
    const std::string problem = tls->Check->Problem();
    tls->Check.reset();
    tls->Session.PeerChecked(problem);
    if (!AfterSession(tls)) return 0;
    DeliverPlain(tls);
    // Records the session had no room for while it waited are still in the
    // system's buffer, and no notification of them may come.
    if (Current(tls))
      ::PostMessageA(WindowHandle(), WM_SOCKET_EVENT, static_cast<WPARAM>(Handle()), MAKELPARAM(FD_READ, 0));
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
  return 0;
}
