#include "net/SocksWSocket.h"

#include <algorithm>
#include <cstring>

#include "rtl/core/Paths.h"

void TCustomSocksWSocket::SetSocksServer(const std::string& value) {
  if (State() != wsClosed) return RaiseError("Can't change socks server if not closed");
  FSocksServer = rtl::Trim(value);
}

void TCustomSocksWSocket::SetSocksPort(const std::string& value) {
  if (State() != wsClosed) return RaiseError("Can't change socks port if not closed");
  FSocksPort = rtl::Trim(value);
}

void TCustomSocksWSocket::SetSocksLevel(const std::string& value) {
  if (State() != wsClosed) return RaiseError("Can't change socks level if not closed");
  if (value != "4" && value != "5" && value != "4A" && value != "4a")
    return RaiseError("Invalid socks level. Must be 4, 4A or 5.");
  FSocksLevel = rtl::UpperCase(value);
}

void TCustomSocksWSocket::ResetToDefaults() {
  TCustomWSocket::ResetToDefaults();
  FSocksServer.clear();
  FSocksPort.clear();
  FSocksLevel = "5";
  FConnectingThroughServer = false;
  // A close from inside the negotiator's own callback (a failed handshake)
  // lands here while the negotiator is still running: it is kept until its
  // call has returned.
  if (FNegotiatorCalls > 0 && FNegotiator) FRetired.push_back(std::move(FNegotiator));
  FNegotiator.reset();
  FLeftover.clear();
}

void TCustomSocksWSocket::Listen() {
  if (!FSocksServer.empty()) return RaiseError("Listening is not supported thru socks server");
  TCustomWSocket::Listen();
}

void TCustomSocksWSocket::Connect() {
  if (FSocksServer.empty()) return TCustomWSocket::Connect();
  if (rtl::UpperCase(Proto()) != "TCP") return RaiseError("tcp is the only protocol supported thru socks server");

  TSocksRequest request;
  request.Level = FSocksLevel;
  request.Host = Addr();
  request.Authenticate = SocksAuthentication == socksAuthenticateUsercode;
  request.Usercode = SocksUsercode;
  request.Password = SocksPassword;
  request.ResolveHost = [](const std::string& host) { return WSocketResolveHost(host); };
  // A request that does not fit the 128-byte buffer is refused here,
  // before anything goes out, rather than cut.
  const std::string problem = SocksRequestProblem(request);
  if (!problem.empty()) return RaiseError("connect: " + problem);
  try {
    if (!FPortResolved) {
      FSin.sin_port = WSocketApi().htons(WSocketResolvePort(FSocksPort, Proto()));
      FPortResolved = true;
    }
    if (!FAddrResolved) {
      FSin.sin_addr.s_addr = WSocketResolveHost(FSocksServer);
      FAddrResolved = true;
    }
    request.Port = WSocketResolvePort(Port(), Proto());
  } catch (const ESocketException& e) {
    return RaiseError("connect: " + e.Message());
  }
  FRetired.clear();
  FNegotiator = std::make_unique<TSocksNegotiator>(request);
  // A handshake message that cannot be sent is not reported from here:
  // the connection is gone, and its close ends the handshake as a failure.
  FNegotiator->OnSend = [this](const std::string& bytes) {
    try {
      Send(bytes.data(), static_cast<int>(bytes.size()));
    } catch (const ESocketException&) {
    }
  };
  FNegotiator->OnAuthState = [this](TSocksAuthState s) {
    if (OnSocksAuthState) OnSocksAuthState(*this, s);
  };
  FNegotiator->OnError = [this](int error, const std::string& msg) { SocksError(error, msg); };
  FNegotiator->OnGranted = [this] {
    FLeftover = FNegotiator->TakeLeftover();
    TCustomWSocket::TriggerSessionConnected(0);
  };
  FConnectingThroughServer = true;
  TCustomWSocket::Connect();
}

void TCustomSocksWSocket::SocksError(int error, const std::string& msg) {
  if (OnSocksError) OnSocksError(*this, error, msg);
  FConnectingThroughServer = false;
  // A version 4 destination that cannot be resolved never had a connect
  // outcome to report: the error and the close say it. A handler that has
  // closed the socket, or connected it anew, keeps what it made.
  const unsigned epoch = HandleEpoch();
  if (error != ErrorNumber(TSocksError::Unresolved)) TriggerSessionConnected(static_cast<std::uint16_t>(error));
  if (HandleEpoch() == epoch) CloseSocketHandle(true, error);
}

TCustomSocksWSocket::TNegotiatorCall::TNegotiatorCall(TCustomSocksWSocket& socket) : FSocket(socket) {
  ++FSocket.FNegotiatorCalls;
}

TCustomSocksWSocket::TNegotiatorCall::~TNegotiatorCall() {
  if (--FSocket.FNegotiatorCalls == 0) FSocket.FRetired.clear();
}

void TCustomSocksWSocket::TriggerSessionConnected(std::uint16_t error) {
  if (!FConnectingThroughServer || !FNegotiator) return TCustomWSocket::TriggerSessionConnected(error);
  FConnectingThroughServer = false;
  if (OnSocksConnected) OnSocksConnected(*this, error);
  if (error != 0) return TCustomWSocket::TriggerSessionConnected(error);
  TNegotiatorCall call(*this);
  FNegotiator->Start();
}

bool TCustomSocksWSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!Negotiating()) return TCustomWSocket::TriggerDataAvailable(error);
  if (error != 0) {
    SocksError(error, "data receive error");
    return true;
  }
  const int room = FNegotiator->Room();
  // The negotiator always has room until its reply is complete; a reply
  // that could not be taken would otherwise be offered again and again.
  if (room <= 0) {
    SocksError(ErrorNumber(TSocksError::Internal), "internal error");
    return true;
  }
  char buffer[kSocksReplyBuffer];
  const int n = Receive(buffer, std::min(room, static_cast<int>(sizeof buffer)));
  if (n <= 0) return true;  // wait for the next notification
  {
    TNegotiatorCall call(*this);
    FNegotiator->Feed(buffer, n);
  }
  // Granted: what came with the final reply is delivered at once, through
  // every layer (line mode included).
  if (!Negotiating() && !FLeftover.empty() && State() == wsConnected) return TriggerDataAvailable(0);
  return true;
}

int TCustomSocksWSocket::RawReceive(void* buffer, int size, int flags) {
  if (!FLeftover.empty() && size > 0) {
    const int n = std::min(size, static_cast<int>(FLeftover.size()));
    std::memcpy(buffer, FLeftover.data(), static_cast<size_t>(n));
    FLeftover.erase(0, static_cast<size_t>(n));
    return n;
  }
  return TCustomWSocket::RawReceive(buffer, size, flags);
}

int TCustomSocksWSocket::RcvdCount() {
  if (!FLeftover.empty()) return static_cast<int>(FLeftover.size());
  return TCustomWSocket::RcvdCount();
}

void TCustomSocksWSocket::TriggerSessionClosed(std::uint16_t error) {
  if (FNegotiator && FNegotiator->CurrentPhase() == TSocksNegotiator::Phase::Authentication && OnSocksAuthState)
    OnSocksAuthState(*this, socksAuthFailure);
  if (Negotiating()) {
    // The connection ended before the server granted it: the server went
    // away, or this side closed it (an Abort, say). Reported as a failed
    // handshake, so that the application gets a connect outcome and never
    // takes the close for the end of a session that never began.
    const std::uint16_t code = error != 0 ? error : static_cast<std::uint16_t>(WSAECONNABORTED);
    FNegotiator->Abandon();
    const char* text = LocalClose() ? "SOCKS handshake ended: the connection was closed here"
                                    : "SOCKS server closed the connection during the handshake";
    if (OnSocksError) OnSocksError(*this, code, text);
    TCustomWSocket::TriggerSessionConnected(code);
    error = code;
  }
  TCustomWSocket::TriggerSessionClosed(error);
}
