#include "net/HttpCli.h"

#include <algorithm>
#include <cctype>

#include "net/core/HttpUrl.h"
#include "net/core/SocketText.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Application.h"

namespace {
std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
// The current path up to and including its last "/" or ":" before the first "?".
std::string BaseOf(const std::string& path) {
  const std::string beforeQuery = path.substr(0, path.find('?'));
  const size_t at = beforeQuery.find_last_of("/:");
  return at == std::string::npos ? std::string() : beforeQuery.substr(0, at + 1);
}
}  // namespace

template <typename Body>
void THttpCli::FromSocket(const std::shared_ptr<bool>& alive, Body body) {
  if (!*alive) return;
  try {
    body();
  } catch (const ERequestEnded&) {
  }
}

template <typename Event, typename... Args>
void THttpCli::Fire(const Event& event, Args&&... args) {
  if (!event) return;
  const std::shared_ptr<bool> alive = FAlive;
  const unsigned serial = FRequestSerial;
  const bool running = FPhase == TPhase::Running;
  const Event handler = event;  // the handler may assign the event anew, or free the client
  handler(std::forward<Args>(args)...);
  if (!*alive) throw EOwnerFreed();
  if (FRequestSerial != serial || (running && FPhase != TPhase::Running)) throw ERequestEnded();
}

void THttpCli::StillRunning(unsigned serial) const {
  if (FRequestSerial != serial || FPhase != TPhase::Running) throw ERequestEnded();
}

THttpCli::THttpCli(rtl::TComponent* owner) : rtl::TComponent(owner) {
  // The client may be freed inside a message of its window.
  FWindow = std::make_unique<rtl::THiddenWindow>("THttpCliWindowClass", WM_HTTP_REQUEST_DONE, WM_HTTP_LOGIN,
                                                 [this](UINT message, WPARAM wParam, LPARAM lParam) {
                                                   return WindowMessage(message, wParam, lParam);
                                                 });
  FSocket = std::make_unique<TWSocket>(nullptr);
  // The socket may outlive the client for a moment (see the destructor).
  const std::shared_ptr<bool> alive = FAlive;
  FSocket->OnSessionClosed = [this, alive](TCustomWSocket&, std::uint16_t e) {
    FromSocket(alive, [&] { SessionClosed(e); });
  };
  FSocket->OnDataAvailable = [this, alive](TCustomWSocket&, std::uint16_t) {
    FromSocket(alive, [&] { DataAvailable(); });
  };
  FSocket->OnSessionConnected = [this, alive](TCustomWSocket&, std::uint16_t e) {
    FromSocket(alive, [&] { SessionConnected(e); });
  };
  FSocket->OnDataSent = [this, alive](TCustomWSocket&, std::uint16_t) {
    FromSocket(alive, [&] {
      try {
        SendNext();
      } catch (const std::exception& e) {
        FailRequest(THttpError::Data, std::string("The request could not be sent: ") + e.what());
      }
    });
  };
  FSocket->OnDnsLookupDone = [this, alive](TCustomWSocket&, std::uint16_t e) {
    FromSocket(alive, [&] { LookupDone(e); });
  };
  FSocket->OnError = [this, alive](TCustomWSocket&) {
    FromSocket(alive, [&] {
      FSocketFailed = true;
      Fire(OnSocketError, *this);
    });
  };
  FSocket->OnSocksConnected = [this, alive](TCustomWSocket& s, std::uint16_t e) {
    FromSocket(alive, [&] { Fire(OnSocksConnected, s, e); });
  };
  FSocket->OnSocksError = [this, alive](TCustomWSocket& s, int e, const std::string& m) {
    FromSocket(alive, [&] {
      if (FPhase == TPhase::Running) FSocksErrorText = m + " (Error #" + std::to_string(e) + ")";
      Fire(OnSocksError, s, e, m);
    });
  };
  FSocket->OnSocksAuthState = [this, alive](TCustomWSocket& s, TSocksAuthState state) {
    FromSocket(alive, [&] { Fire(OnSocksAuthState, s, state); });
  };
  FSocket->OnTlsEstablished = [this, alive](TCustomWSocket&) {
    FromSocket(alive, [&] {
      if (FPhase == TPhase::Running && FState == hsConnected) SendFirstRequest();
    });
  };
  FSocket->OnTlsError = [this, alive](TCustomWSocket&, TTlsError error, const std::string& msg) {
    FromSocket(alive, [&] { FailRequest(error == TTlsError::Untrusted ? THttpError::Certificate : THttpError::Tls, msg); });
  };
}

// Freed from one of its own events, the client leaves frames of its socket
// on the stack: the socket is closed now and goes when they have returned;
// its handlers find the client gone.
THttpCli::~THttpCli() {
  *FAlive = false;
  FSocket.release()->Free();
  FWindow.reset();
}

// ---------------------------------------------------------------- state

void THttpCli::SetState(THttpState state) {
  if (state == FState) return;
  FState = state;
  // Posted before the event fires: its handler may start the next request.
  if (state == hsReady && FWindow) {
    FDonePending = true;
    ::PostMessageA(FWindow->Handle(), WM_HTTP_REQUEST_DONE, FRequestSerial, 0);
  }
  Fire(OnStateChange, *this);
}

// The connection goes with its request, so that the next request never
// meets it (nor its late close). A lookup still out is forgotten: its
// answer is dropped when it comes.
void THttpCli::DropConnection() {
  FSocket->CancelLookup();
  if (FSocket->State() != wsClosed) CloseConnection();
  FConnected = false;
}

// The outcome is final. "Ready" is posted, so that the request ends from the
// message loop and never inside the socket event that ended it; the message
// names the request, and no other takes it for its own.
void THttpCli::EndRequest() {
  if (FPhase != TPhase::Running) return;
  FPhase = TPhase::Ending;
  FMaySend = FFollowOnClose = FLoginPending = false;
  for (TSyncWait* wait : FSyncWaits) {
    if (wait->Serial != FRequestSerial) continue;
    wait->Ended = true;
    wait->Failed = FFailed;
    wait->StatusCode = FStatusCode;
    wait->ReasonPhrase = FReasonPhrase;
    wait->DoneError = FDoneError;
  }
  if (FWindow) ::PostMessageA(FWindow->Handle(), WM_HTTP_SET_READY, FRequestSerial, 0);
  DropConnection();
}

// At once, for an Abort and for a wait that cannot go back to the message
// loop (its time ran out, or the program is ending); the posted "ready" then
// finds the client ready already.
void THttpCli::BecomeReady() {
  FPhase = TPhase::Idle;
  SetState(hsReady);
}

LRESULT THttpCli::WindowMessage(UINT message, WPARAM wParam, LPARAM) {
  const auto serial = static_cast<unsigned>(wParam);
  try {
    switch (message) {
      case WM_HTTP_REQUEST_DONE:
        if (serial == FRequestSerial && FPhase == TPhase::Idle && FDonePending) {
          FDonePending = false;
          Fire(OnRequestDone, *this, FRequestType, FDoneError);
        }
        break;
      case WM_HTTP_SET_READY:
        if (serial == FRequestSerial && FPhase == TPhase::Ending) BecomeReady();
        break;
      case WM_HTTP_LOGIN:
        if (serial == FRequestSerial && FPhase == TPhase::Running && FLoginPending) {
          FLoginPending = false;
          StartLookup();
        }
        break;
    }
  } catch (const ERequestEnded&) {
  } catch (const EOwnerFreed&) {
  }
  return 0;
}

// ---------------------------------------------------------------- requests

void THttpCli::StartRequest(THttpRequest request) { Begin(request); }

void THttpCli::CheckRequestValues() const {
  std::string problem;
  if (!IsSafeLineValue(URL)) {
    problem = "URL holds a CR, LF or NUL character";
  } else {
    // Path and host come from the URL, checked above.
    THttpRequestFields fields = RequestFields("GET");
    fields.RequestPath.clear();
    fields.HostName.clear();
    problem = RequestFieldProblem(fields);
  }
  if (!problem.empty()) throw EHttpException("HTTP request refused: " + problem, THttpError::FieldRefused);
}

// False when a handler freed the client meanwhile.
bool THttpCli::Begin(THttpRequest request) {
  if (FState != hsReady) throw EHttpException("HTTP component is busy", THttpError::Busy);
  if (request == httpPOST && !PostStream) throw EHttpException("HTTP component has nothing to post", THttpError::NothingToPost);
  CheckRequestValues();

  ++FRequestSerial;
  FPhase = TPhase::Running;
  FDonePending = false;
  FSocket->MultiThreaded = MultiThreaded;  // the socket's own waits pump with its own loop
  try {
    SetState(hsNotConnected);
    FRequestType = request;
    ResetRequestState();

    // Credentials in the URL serve this request alone.
    std::string port;
    // "HTTPS://" is https too, never plain HTTP.
    FTls = IsHttpsUrl(URL);
    const std::string url = HttpsSchemeLowered(URL);
    const auto takeCredentials = [this](const THttpUrlParts& u) {
      FUrlCredentials = !u.User.empty();
      FUrlUser = u.User;
      FUrlPassword = u.Password;
    };
    if (Proxy.empty()) {
      const THttpUrlParts u = ParseURL(url, FRequestPath);
      FRequestPath = u.Path;
      FHostName = u.Host;
      FDocumentName = FRequestPath;
      takeCredentials(u);
      port = u.Port.empty() ? (FTls ? "443" : "80") : u.Port;
      FTargetHost = u.Host;
      FTlsHost = u.Host;
      FTlsPort = port;
      FOrigin = HttpOrigin(u.Scheme, u.Host, port);
    } else {
      const THttpUrlParts u = ParseURL(url, "");
      FHostName = u.Host;
      FDocumentName = u.Path;
      takeCredentials(u);
      // Through the tunnel the request reads as it would directly.
      FRequestPath = FTls ? u.Path
                          : (u.Scheme.empty() ? std::string("http://") : u.Scheme + "://") + u.Host +
                                (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
      FTlsHost = u.Host;
      FTlsPort = u.Port.empty() ? "443" : u.Port;
      FOrigin = HttpOrigin(u.Scheme, u.Host, u.Port);
      const THttpUrlParts p = ParseURL(Proxy, "");
      FProxyHost = p.Host;
      FProxyPortUsed = p.Port.empty() ? ProxyPort : p.Port;
      FTargetHost = FProxyHost;
      port = FProxyPortUsed;
    }
    FCurrentOrigin = FOrigin;
    if (FRequestPath.empty()) FRequestPath = "/";
    FDocumentName = DocumentNameOf(FDocumentName);
    FTargetPort = port;
    StartLookup();
  } catch (const ERequestEnded&) {
  } catch (const EOwnerFreed&) {
    return false;
  } catch (const std::exception& e) {
    // A handler's failure reaches the caller; the request it broke ends
    // (unless a handler of that end has taken the client further).
    try {
      FailRequest(THttpError::Data, e.what());
      if (FPhase == TPhase::Ending) BecomeReady();
    } catch (const ERequestEnded&) {
    } catch (const EOwnerFreed&) {
    }
    throw;
  }
  return true;
}

void THttpCli::ResetRequestState() {
  FHeaderLines.clear();
  FDoneError = 0;
  FDocumentName.clear();
  FStatusCode = 0;
  FReasonPhrase.clear();
  FReceivedCount = FSentCount = 0;
  FBodyPieceCount = 0;
  FFailed = false;
  FSocksErrorText.clear();
  FContentLength = -1;
  FContentType.clear();
  FMaySend = false;
  FLocation = URL;
  FRedirections = 0;
  FFollowOnClose = FLoginPending = false;
  FConnected = false;
  FTls = FTunnel = false;
  FTunnelReply.Reset();
  FReader.Reset();
  std::vector<char>().swap(FBodyBuffer);  // a large download's buffer is not kept between requests
}

void THttpCli::CloseConnection() {
  FSocket->Close();
  FConnected = false;
}

void THttpCli::FailRequest(THttpError error, const std::string& reason) { FailRequest(ErrorNumber(error), reason); }

void THttpCli::FailRequest(std::uint16_t socketError, const std::string& reason) {
  if (FPhase != TPhase::Running) return;
  FFailed = true;
  FDoneError = socketError;
  FStatusCode = 404;
  FReasonPhrase = reason;
  EndRequest();
}

bool THttpCli::DeadlinePassed() const {
  return FHasDeadline && FDeadlineSerial == FRequestSerial && static_cast<LONG>(::GetTickCount() - FDeadline) >= 0;
}

std::string THttpCli::TimeoutText() const {
  return rtl::Format("HTTP request timed out after %.1f s", Timeout / 1000.0);
}

// LastError may be older than that failure.
std::uint16_t THttpCli::SocketFailureNumber() const { return static_cast<std::uint16_t>(FSocket->LastErrorNumber()); }

void THttpCli::StartLookup() {
  SetState(hsDnsLookup);
  const unsigned serial = FRequestSerial;
  FSocketFailed = false;
  std::string failure;
  try {
    FSocket->SetLocalAddr(LocalAddr);
    if (!FSocketFailed) FSocket->DnsLookup(FTargetHost);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  StillRunning(serial);
  // A lookup that could not start, raised or reported through the socket's
  // error handler, ends the request at once; nothing else would end it.
  if (failure.empty() && FSocketFailed && FState == hsDnsLookup) failure = FSocket->LastErrorMessage();
  if (failure.empty() || FState != hsDnsLookup) return;
  if (const std::uint16_t number = SocketFailureNumber()) FailRequest(number, failure);
  else FailRequest(THttpError::NoReply, failure);
  if (FPhase == TPhase::Ending) BecomeReady();
}

void THttpCli::LookupDone(std::uint16_t error) {
  if (FPhase != TPhase::Running || FState != hsDnsLookup) return;
  if (error != 0) return FailRequest(error, "can't resolve hostname to IP address");
  SetState(hsDnsLookupDone);
  const unsigned serial = FRequestSerial;
  FSocketFailed = false;
  std::string raised;
  try {
    FSocket->SetAddr(FSocket->DnsResult());
    FSocket->SetLocalAddr(LocalAddr);
    FSocket->SetPort(FTargetPort);
    FSocket->SetProto("tcp");
    if (!SocksServer.empty()) {
      FSocket->SetSocksServer(SocksServer);
      FSocket->SetSocksPort(SocksPort);
      FSocket->SetSocksLevel(SocksLevel);
      FSocket->SocksUsercode = SocksUsercode;
      FSocket->SocksPassword = SocksPassword;
      FSocket->SocksAuthentication = SocksAuthentication;
    }
    FSocket->Connect();
  } catch (const std::exception& e) {
    FSocketFailed = true;
    raised = e.what();
  }
  StillRunning(serial);
  // A failure the socket reported through its error handler ends the request
  // like a raised one, instead of leaving it waiting for events that never
  // come.
  if (FSocketFailed && FState == hsDnsLookupDone) {
    const int code = raised.empty() ? FSocket->LastErrorNumber() : 0;
    std::string reason = "can't connect: ";
    if (code) reason += SocketErrorText(code) + " (Error #" + std::to_string(code) + ")";
    else reason += raised.empty() ? FSocket->LastErrorMessage() : raised;
    if (code) FailRequest(static_cast<std::uint16_t>(code), reason);
    else FailRequest(THttpError::NotConnected, reason);
  }
}

void THttpCli::SessionConnected(std::uint16_t error) {
  if (FPhase != TPhase::Running || FState != hsDnsLookupDone) return;
  if (error != 0) {
    // A refused SOCKS handshake has said what went wrong in its own words.
    const std::string text = !FSocksErrorText.empty() ? FSocksErrorText
                                                       : SocketErrorText(error) + " (Error #" + std::to_string(error) + ")";
    return FailRequest(error, text);
  }
  FConnected = true;
  SetState(hsConnected);
  FireSessionConnected();
  if (!FTls) return SendFirstRequest();
  if (Proxy.empty()) return StartTls(std::string());
  RequestTunnel();
}

std::string THttpCli::TlsTarget() const { return FTlsHost + ":" + FTlsPort; }

void THttpCli::StartTls(const std::string& early) {
  const unsigned serial = FRequestSerial;
  FSocketFailed = false;
  std::string raised;
  try {
    FSocket->StartTls(FTlsHost, early);
  } catch (const std::exception& e) {
    FSocketFailed = true;
    raised = e.what();
  }
  StillRunning(serial);
  // Events follow: OnTlsEstablished sends the request, OnTlsError ends it.
  if (FSocketFailed && FState == hsConnected)
    FailRequest(THttpError::Tls, raised.empty() ? FSocket->LastErrorMessage() : raised);
}

// The proxy's credentials go to the proxy in the tunnel request, never
// through the tunnel.
void THttpCli::RequestTunnel() {
  if (!IsSafeLineValue(Agent))
    return FailRequest(THttpError::FieldRefused, "HTTP request refused: Agent holds a CR, LF or NUL character");
  const unsigned serial = FRequestSerial;
  FTunnel = true;
  FTunnelReply.Reset();
  const std::string request = TunnelRequest(FTlsHost, FTlsPort, Agent, ProxyUsername, ProxyPassword);
  FSocket->Send(request.data(), static_cast<int>(request.size()));
  StillRunning(serial);
}

void THttpCli::TunnelData() {
  char chunk[512];
  const int n = FSocket->Receive(chunk, sizeof chunk);
  if (n <= 0) return;
  const size_t used = FTunnelReply.Put(chunk, static_cast<size_t>(n));
  switch (FTunnelReply.State()) {
    case THttpTunnelReply::TState::Reading: return;
    case THttpTunnelReply::TState::Open:
      FTunnel = false;
      return StartTls(std::string(chunk + used, static_cast<size_t>(n) - used));
    case THttpTunnelReply::TState::Refused:
      return FailRequest(THttpError::Tunnel, "The proxy refused the tunnel to " + TlsTarget() + ": " + FTunnelReply.Text());
    case THttpTunnelReply::TState::Failed:
      return FailRequest(THttpError::Tunnel, "No tunnel to " + TlsTarget() + ": " + FTunnelReply.Text());
  }
}

void THttpCli::SendFirstRequest() {
  SetState(hsWaitingHeader);
  try {
    switch (FRequestType) {
      case httpPOST:
        SendRequest("POST");
        FireSendBegin();
        FMaySend = true;
        SendNext();
        break;
      case httpHEAD: SendRequest("HEAD"); break;
      default: SendRequest("GET"); break;
    }
  } catch (const EHttpException& e) {
    FailRequest(e.ErrorCode, e.Message());
  } catch (const std::exception& e) {
    FailRequest(THttpError::Data, std::string("The request could not be sent: ") + e.what());
  }
}

// Authorization goes only where the credentials belong: to the origin of the
// request's URL (another scheme, host or port is another origin).
THttpRequestFields THttpCli::RequestFields(const std::string& method) const {
  THttpRequestFields f;
  f.Method = method;
  f.RequestPath = FRequestPath;
  f.Sender = Sender;
  f.Accept = Accept;
  f.Reference = Reference;
  f.ContentTypePost = ContentTypePost;
  f.Agent = Agent;
  f.HostName = FHostName;
  f.NoCache = NoCache;
  f.PostSize = PostStream ? PostStream->Size() : 0;
  f.ModifiedSince = ModifiedSince;
  if (FCurrentOrigin == FOrigin) {
    f.Username = FUrlCredentials ? FUrlUser : Username;
    f.Password = FUrlCredentials ? FUrlPassword : Password;
  }
  f.ThroughProxy = !Proxy.empty();
  f.ProxyUsername = ProxyUsername;
  f.ProxyPassword = ProxyPassword;
  f.Cookie = Cookie;
  f.ContentRangeBegin = ContentRangeBegin;
  f.ContentRangeEnd = ContentRangeEnd;
  return f;
}

void THttpCli::SendRequest(const std::string& method) {
  const unsigned serial = FRequestSerial;
  const THttpRequestFields f = RequestFields(method);
  // Checked again: a handler may have changed a value since the start.
  const std::string problem = RequestFieldProblem(f);
  if (!problem.empty()) throw EHttpException("HTTP request refused: " + problem, THttpError::FieldRefused);
  ContentRangeBegin.clear();
  ContentRangeEnd.clear();
  AcceptRanges.clear();
  FireRequestHeaderBegin();
  const std::string header = BuildRequestHeader(
      f, [this](std::string& line) { WriteRequestLine(line); }, [this] { FireRequestHeaderEnd(); });
  // The whole header goes in one send.
  FSocket->Send(header.data(), static_cast<int>(header.size()));
  StillRunning(serial);
}

void THttpCli::WriteRequestLine(std::string& line) { Fire(OnCommand, *this, line); }

void THttpCli::SendNext() {
  if (FPhase != TPhase::Running || !FMaySend || !PostStream) return;
  const unsigned serial = FRequestSerial;
  char buffer[8193];
  const std::int32_t n = PostStream->Read(buffer, sizeof buffer);
  if (n > 0) {
    FSentCount += n;
    FireSendData(buffer, n);
    FSocket->Send(buffer, n);
    StillRunning(serial);
  } else {
    FMaySend = false;
    FireSendEnd();
  }
}

// ---------------------------------------------------------------- receiving

// Whatever goes wrong with the data (a stream that cannot take the body, a
// handler's failure) ends the request as a failure here; the socket never
// sees it.
void THttpCli::DataAvailable() {
  if (FPhase != TPhase::Running) return;
  try {
    ReceiveData();
  } catch (const EHttpException& e) {
    FailRequest(e.ErrorCode, e.Message());
  } catch (const std::exception& e) {
    FailRequest(THttpError::Data, e.what());
  }
}

void THttpCli::ReceiveData() {
  if (DeadlinePassed()) return FailRequest(THttpError::Timeout, TimeoutText());
  if (FTunnel) return TunnelData();
  FReader.BodyLimit = BodyLimit;
  // Body bytes need no line cutting: they are read in large pieces straight
  // from the socket, which saves most of the calls (and under Wine most of
  // the cost) of a large download.
  if (FReader.ReadingBody()) {
    // Drained here while full pieces keep coming (a bounded number of them,
    // so that the message loop keeps turning). The buffer starts small, as
    // a small page needs no megabyte of memory, and doubles up to 1 MiB
    // while pieces fill it.
    if (FBodyBuffer.empty()) FBodyBuffer.resize(64 * 1024);
    for (int round = 0; round < 16; ++round) {
      const int n = FSocket->Receive(FBodyBuffer.data(), static_cast<int>(FBodyBuffer.size()));
      if (n <= 0) break;
      FReader.Put(FBodyBuffer.data(), static_cast<size_t>(n));
      TakeReplyEvents(false);
      if (FPhase != TPhase::Running || n < static_cast<int>(FBodyBuffer.size()) || !FReader.ReadingBody()) break;
      if (FBodyBuffer.size() < 1024 * 1024) FBodyBuffer.resize(FBodyBuffer.size() * 2);
      if (DeadlinePassed()) return FailRequest(THttpError::Timeout, TimeoutText());
    }
    return;
  }
  // A reply that has ended (a redirection waiting for its close) takes no
  // more bytes.
  if (FReader.Finished()) return;
  // The header's buffer takes what it has room for; the rest waits in the
  // socket.
  char chunk[THttpReceiveBuffer::kCapacity];
  const int n = FSocket->Receive(chunk, FReader.Room());
  if (n <= 0) return;
  FReader.Put(chunk, static_cast<size_t>(n));
  TakeReplyEvents(false);
}

void THttpCli::TakeReplyEvents(bool closing) {
  THttpReplyEvent event;
  while (FPhase == TPhase::Running && FReader.Next(event)) ReplyEvent(event, closing);
}

void THttpCli::ReplyEvent(const THttpReplyEvent& event, bool closing) {
  using TKind = THttpReplyEvent::TKind;
  switch (event.Kind) {
    case TKind::HeaderBegin: FireHeaderBegin(); break;
    case TKind::HeaderLine: HeaderLine(event); break;
    case TKind::BodyFollows:
      if (!event.Html) FDocumentName = HtmlDocumentName(FDocumentName, FContentType);
      SetState(hsWaitingBody);
      break;
    case TKind::HeaderEnd:
      if (event.Html && FContentType.empty()) FContentType = "text/html";
      FireHeaderEnd();
      break;
    case TKind::Body: BodyPiece(event.Bytes); break;
    case TKind::End:
      if (FBodyPieceCount > 0) FireDocEnd();
      EndRequest();
      break;
    case TKind::Redirect: {
      FBodyPieceCount = 0;
      if (closing) return FollowLocation();
      // The redirection goes on when the close is reported (at once, inside
      // the close), or here when the close had been reported already.
      const unsigned serial = FRequestSerial;
      FFollowOnClose = true;
      CloseConnection();
      StillRunning(serial);
      if (FFollowOnClose) {
        FFollowOnClose = false;
        FollowLocation();
      }
      break;
    }
    case TKind::Failed:
      // The line it failed at counts among the header's lines.
      if (!event.Line.empty()) FHeaderLines.push_back(event.Line);
      FailRequest(event.Error, event.Text);
      break;
  }
}

void THttpCli::HeaderLine(const THttpReplyEvent& event) {
  FHeaderLines.push_back(event.Line);
  const THttpHeaderLine& parsed = event.Parsed;
  if (parsed.LineKind == THttpHeaderLine::Kind::Status) {
    FStatusCode = parsed.StatusCode;
    FReasonPhrase = parsed.ReasonPhrase;
  } else if (parsed.LineKind == THttpHeaderLine::Kind::Field) {
    if (parsed.Name == "location") {
      ComputeLocation(parsed.Value);
      if (FPhase != TPhase::Running) return;
    } else if (parsed.Name == "content-length") {
      FContentLength = event.ContentLength;
    } else if (parsed.Name == "content-range") {
      ParseContentRange(parsed.Value, ContentRangeBegin, ContentRangeEnd);
    } else if (parsed.Name == "accept-ranges") {
      AcceptRanges = parsed.Value;
    } else if (parsed.Name == "content-type") {
      FContentType = Lower(parsed.Value);
    } else if (parsed.Name == "set-cookie") {
      bool accept = true;
      FireCookie(parsed.Value, accept);
    }
  }
  Fire(OnHeaderData, *this);
}

void THttpCli::BodyPiece(std::string_view piece) {
  if (FBodyPieceCount == 0) FireDocBegin();
  ++FBodyPieceCount;
  FReceivedCount += static_cast<std::int64_t>(piece.size());
  const int length = static_cast<int>(piece.size());
  if (ReceiveStream && length > 0) ReceiveStream->WriteBuffer(piece.data(), length);
  FireDocData(piece.data(), length);
}

void THttpCli::SessionClosed(std::uint16_t error) {
  const bool wasConnected = FConnected;
  FConnected = false;
  if (FPhase != TPhase::Running) return;
  if (FFollowOnClose) {
    FFollowOnClose = false;
    return FollowLocation();
  }
  // The program closed the connection itself, from a handler: whatever has
  // come may not be all there is.
  if (FSocket->LocalClose())
    return FailRequest(THttpError::Aborted, "HTTP request aborted: the program closed the connection");
  if (FTunnel)
    return FailRequest(THttpError::Tunnel,
                       "The proxy closed the connection before it opened the tunnel to " + TlsTarget());
  // Over TLS an attacker may cut the connection at a record's end; only the
  // server's close notice or the announced length shows the body whole.
  if (FTls && FReader.ReadingBody() && !FSocket->TlsCloseNotice() &&
      (FContentLength < 0 || FReceivedCount < FContentLength))
    return FailRequest(THttpError::Tls, FTlsHost + " closed the connection without the TLS close notice: the page may be cut short");
  // The reply decides how the close ends it: a complete body, a header cut
  // short, a redirection, or no reply at all.
  if (wasConnected || FReader.Begun()) {
    FReader.Close();
    return TakeReplyEvents(true);
  }
  const std::string reason =
      !FSocksErrorText.empty() ? FSocksErrorText : std::string("The connection closed before it was established");
  if (error) return FailRequest(error, reason);
  FailRequest(THttpError::NotConnected, reason);
}

// ---------------------------------------------------------------- redirections

// User information in a Location is never taken: credentials come from the
// program and from the URL it gave, and the current origin decides whether
// they go along.
void THttpCli::ComputeLocation(const std::string& v) {
  const bool proxy = !Proxy.empty();
  const bool toHttps = IsHttpsUrl(v);
  const bool absolute = toHttps || (v.size() >= 7 && rtl::SameText(v.substr(0, 7), "http://"));
  // A request that began secured stays secured.
  if (absolute && FTls && !toHttps)
    return FailRequest(THttpError::Downgrade, "Redirection from https to http refused: " + v);
  const std::string scheme = FTls ? "https" : "http";
  // Inside a tunnel the request reads as a direct one, to the https host.
  const bool tunnel = proxy && FTls;
  const std::string tlsAuthority = FTlsHost + (FTlsPort == "443" ? "" : ":" + FTlsPort);
  if (!v.empty() && v[0] == '/') {
    if (proxy && !tunnel) {
      const THttpUrlParts cur = ParseURL(FRequestPath, "");
      FLocation = (cur.Scheme.empty() ? std::string("http") : cur.Scheme) + "://" + cur.Host +
                  (cur.Port.empty() ? "" : ":" + cur.Port) + v;
      FRequestPath = FLocation;
    } else {
      FRequestPath = v;
      FLocation = scheme + "://" + (tunnel ? tlsAuthority : FTargetHost) + v;
    }
  } else if (!absolute) {
    FRequestPath = BaseOf(FRequestPath) + v;
    const std::string slash = FRequestPath.empty() || FRequestPath[0] != '/' ? "/" : "";
    FLocation = proxy && !tunnel ? FRequestPath
                                 : scheme + "://" + (tunnel ? tlsAuthority : FHostName) + slash + FRequestPath;
  } else {
    const THttpUrlParts u = ParseURL(HttpsSchemeLowered(v), "");
    const std::string port = u.Port.empty() ? (toHttps ? "443" : "80") : u.Port;
    if (proxy) {
      if (!u.Host.empty()) {
        FHostName = u.Host;
        FCurrentOrigin = HttpOrigin(u.Scheme, u.Host, u.Port);
        if (toHttps) {
          // From here on through a tunnel of the proxy.
          FTls = true;
          FTlsHost = u.Host;
          FTlsPort = port;
          FRequestPath = u.Path.empty() ? "/" : u.Path;
          FLocation = "https://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
        } else {
          FLocation = FRequestPath = u.Scheme + "://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
        }
      } else if (tunnel) {
        FRequestPath = u.Path.empty() ? "/" : u.Path;
        FLocation = "https://" + tlsAuthority + u.Path;
      }
    } else {
      FTargetHost = u.Host.empty() ? FHostName : u.Host;
      FRequestPath = u.Path.empty() ? "/" : u.Path;
      FTargetPort = u.Port.empty() ? port : u.Port;
      FHostName = FTargetHost;
      FLocation = u.Scheme + "://" + FTargetHost + u.Path;
      FCurrentOrigin = HttpOrigin(u.Scheme, FTargetHost, FTargetPort);
      FTls = toHttps;
      FTlsHost = FTargetHost;
      FTlsPort = FTargetPort;
    }
  }
}

void THttpCli::FollowLocation() {
  // A bound on successive redirections: a loop of them ends with a clear
  // failure instead of running for ever.
  if (++FRedirections > MaxRedirections)
    return FailRequest(THttpError::Redirections, "Too many redirections (more than " + std::to_string(MaxRedirections) + ")");
  const std::string location = FLocation.substr(0, FLocation.find('#'));
  FDocumentName = DocumentNameOf(ParseURL(location, "").Path);
  FConnected = false;
  if (FRequestType == httpPOST) FRequestType = httpGET;
  Fire(OnLocationChange, *this);
  FHeaderLines.clear();
  FBodyPieceCount = 0;
  FContentLength = -1;
  FContentType.clear();
  FStatusCode = 0;
  FReader.Reset();
  if (!Proxy.empty()) FTargetPort = FProxyPortUsed;
  FLoginPending = true;
  ::PostMessageA(FWindow->Handle(), WM_HTTP_LOGIN, FRequestSerial, 0);
}

// ---------------------------------------------------------------- waiting

void THttpCli::Abort() {
  try {
    if (FPhase == TPhase::Running) {
      FRequestType = httpAbort;
      FailRequest(THttpError::Aborted, "HTTP request aborted");
    }
    if (FPhase == TPhase::Ending) BecomeReady();
  } catch (const ERequestEnded&) {
  } catch (const EOwnerFreed&) {
  }
}

// The request's OnRequestDone was posted when it became ready: it fires
// before the synchronous call returns, and never during the next request.
void THttpCli::DeliverDone(unsigned serial, const std::shared_ptr<bool>& alive) {
  const HWND window = FWindow->Handle();
  MSG msg;
  for (int i = 0; i < 100 && *alive && FDonePending && FRequestSerial == serial &&
                  ::PeekMessageA(&msg, window, WM_HTTP_REQUEST_DONE, WM_HTTP_REQUEST_DONE, PM_REMOVE);
       ++i) {
    // Wine hands out a WM_QUIT whatever the filter says: it belongs to the
    // loop that owns it.
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::DispatchMessageA(&msg);
  }
}

void THttpCli::RequestSync(THttpRequest request) {
  const DWORD start = ::GetTickCount();
  const std::shared_ptr<bool> alive = FAlive;
  // What this call learns of its request, also when a handler has freed the
  // client or started another request meanwhile.
  TSyncWait wait;
  wait.Serial = FRequestSerial + 1;
  FSyncWaits.push_back(&wait);
  struct TUnregister {
    std::vector<TSyncWait*>& waits;
    const std::shared_ptr<bool>& alive;
    TSyncWait* wait;
    ~TUnregister() {
      if (*alive) waits.erase(std::remove(waits.begin(), waits.end(), wait), waits.end());
    }
  } unregister{FSyncWaits, alive, &wait};

  if (Begin(request)) {
    if (Timeout > 0 && !wait.Ended) {
      FHasDeadline = true;
      FDeadline = start + static_cast<DWORD>(Timeout);
      FDeadlineSerial = wait.Serial;
    }
    const auto over = [&] { return !*alive || (wait.Ended && (FRequestSerial != wait.Serial || FPhase == TPhase::Idle)); };
    const DWORD spent = ::GetTickCount() - start;
    const DWORD left = Timeout <= 0 ? 0 : spent >= static_cast<DWORD>(Timeout) ? 1 : static_cast<DWORD>(Timeout) - spent;
    const rtl::TWaitResult result = rtl::WaitForMessages(over, left, rtl::TWake::OnMessages);
    if (*alive && !over() && FRequestSerial == wait.Serial) {
      // The request goes now: a partial page must never pass for the whole.
      // WM_QUIT has been posted again for the program's own loop.
      try {
        if (result == rtl::TWaitResult::Quit)
          FailRequest(THttpError::Quit, "HTTP request ended: the program is closing");
        else
          FailRequest(THttpError::Timeout, TimeoutText());
        if (FPhase == TPhase::Ending) BecomeReady();
      } catch (const ERequestEnded&) {
      } catch (const EOwnerFreed&) {
      }
    }
    if (*alive && FRequestSerial == wait.Serial) DeliverDone(wait.Serial, alive);
  }
  if (!wait.Ended) throw EHttpException("HTTP client was freed during the request", 404, 0);
  if (wait.Failed || wait.StatusCode >= 400) throw EHttpException(wait.ReasonPhrase, wait.StatusCode, wait.DoneError);
}

// ---------------------------------------------------------------- events

void THttpCli::FireCookie(const std::string& data, bool& accept) { Fire(OnCookie, *this, data, accept); }
void THttpCli::FireSessionConnected() { Fire(OnSessionConnected, *this); }
void THttpCli::FireRequestHeaderBegin() { Fire(OnRequestHeaderBegin, *this); }
void THttpCli::FireRequestHeaderEnd() { Fire(OnRequestHeaderEnd, *this); }
void THttpCli::FireHeaderBegin() { Fire(OnHeaderBegin, *this); }
void THttpCli::FireHeaderEnd() { Fire(OnHeaderEnd, *this); }
void THttpCli::FireDocBegin() { Fire(OnDocBegin, *this); }
void THttpCli::FireDocData(const char* data, int length) { Fire(OnDocData, *this, data, length); }
void THttpCli::FireDocEnd() { Fire(OnDocEnd, *this); }
void THttpCli::FireSendBegin() { Fire(OnSendBegin, *this); }
void THttpCli::FireSendData(const char* data, int length) { Fire(OnSendData, *this, data, length); }
void THttpCli::FireSendEnd() { Fire(OnSendEnd, *this); }
