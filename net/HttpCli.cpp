#include "net/HttpCli.h"

#include <algorithm>
#include <cctype>

#include "net/core/HttpUrl.h"
#include "net/core/SocketText.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Application.h"

class THttpCli::THttpWindow : public rtl::TWindow {
public:
  explicit THttpWindow(THttpCli& owner) : FOwner(owner) {
    CreateMessageHandle("THttpCliWindowClass");
  }

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= WM_HTTP_REQUEST_DONE && message <= WM_HTTP_LOGIN) return FOwner.WindowMessage(message, wParam, lParam);
    return DefaultHandler(message, wParam, lParam);
  }

private:
  THttpCli& FOwner;
};

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

THttpCli::THttpCli(rtl::TComponent* owner) : rtl::TComponent(owner) {
  FWindow = std::make_unique<THttpWindow>(*this);
  FSocket = std::make_unique<TWSocket>(nullptr);
  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { SessionClosed(); };
  FSocket->OnDataAvailable = [this](TCustomWSocket&, std::uint16_t) { DataAvailable(); };
  FSocket->OnSessionConnected = [this](TCustomWSocket&, std::uint16_t e) { SessionConnected(e); };
  FSocket->OnDataSent = [this](TCustomWSocket&, std::uint16_t) { SendNext(); };
  FSocket->OnDnsLookupDone = [this](TCustomWSocket&, std::uint16_t e) { LookupDone(e); };
  FSocket->OnError = [this](TCustomWSocket&) {
    FSocketFailed = true;
    if (OnSocketError) OnSocketError(*this);
  };
  FSocket->OnSocksConnected = [this](TCustomWSocket& s, std::uint16_t e) {
    if (OnSocksConnected) OnSocksConnected(s, e);
  };
  FSocket->OnSocksError = [this](TCustomWSocket& s, int e, const std::string& m) {
    if (OnSocksError) OnSocksError(s, e, m);
  };
  FSocket->OnSocksAuthState = [this](TCustomWSocket& s, TSocksAuthState state) {
    if (OnSocksAuthState) OnSocksAuthState(s, state);
  };
}

THttpCli::~THttpCli() {
  FSocket.reset();
  FWindow.reset();
}

// ---------------------------------------------------------------- state

void THttpCli::SetState(THttpState state) {
  if (state == FState) return;
  FState = state;
  if (OnStateChange) OnStateChange(*this);
  if (state == hsReady && FWindow) ::PostMessageA(FWindow->Handle(), WM_HTTP_REQUEST_DONE, 0, 0);
}

void THttpCli::SetReady() {
  if (FWindow) ::PostMessageA(FWindow->Handle(), WM_HTTP_SET_READY, 0, 0);
}

LRESULT THttpCli::WindowMessage(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_HTTP_REQUEST_DONE:
      if (OnRequestDone) OnRequestDone(*this, FRequestType, FDoneError);
      break;
    case WM_HTTP_SET_READY: SetState(hsReady); break;
    case WM_HTTP_LOGIN: StartLookup(); break;
  }
  return 0;
}

// ---------------------------------------------------------------- requests

void THttpCli::StartRequest(THttpRequest request) {
  if (FState != hsReady) throw EHttpException("HTTP component is busy", 1);
  if (request == httpPOST && !PostStream) throw EHttpException("HTTP component has nothing to post", 2);

  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { SessionClosed(); };
  FSocket->MultiThreaded = MultiThreaded;  // the socket's pump is the one the wait uses
  SetState(hsNotConnected);
  FRequestType = request;
  ResetRequestState();

  std::string port;
  if (Proxy.empty()) {
    const THttpUrlParts u = ParseURL(URL, FRequestPath);
    FRequestPath = u.Path;
    FHostName = u.Host;
    FDocumentName = FRequestPath;
    if (!u.User.empty()) Username = u.User;
    if (!u.Password.empty()) Password = u.Password;
    port = u.Port.empty() ? "80" : u.Port;
    FTargetHost = u.Host;
  } else {
    const THttpUrlParts u = ParseURL(URL, "");
    FHostName = u.Host;
    FDocumentName = u.Path;
    if (!u.User.empty()) Username = u.User;
    if (!u.Password.empty()) Password = u.Password;
    FRequestPath = (u.Scheme.empty() ? std::string("http://") : u.Scheme + "://") + u.Host +
                   (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
    const THttpUrlParts p = ParseURL(Proxy, "");
    FProxyHost = p.Host;
    FProxyPortUsed = p.Port.empty() ? ProxyPort : p.Port;
    FTargetHost = FProxyHost;
    port = FProxyPortUsed;
  }
  if (FRequestPath.empty()) FRequestPath = "/";
  FDocumentName = DocumentNameOf(FDocumentName);
  FTargetPort = port;
  StartLookup();
}

void THttpCli::ResetRequestState() {
  FHeaderLines.clear();
  FDoneError = 0;
  FDocumentName.clear();
  FStatusCode = 0;
  FReasonPhrase.clear();
  FReceivedCount = FSentCount = 0;
  FHeaderLineCount = FBodyPieceCount = 0;
  FContentLength = -1;
  FContentType.clear();
  FMaySend = false;
  FLocation = URL;
  FRedirections = 0;
  FLocationFlag = FInHeader = FBodyMode = FFollowOnClose = false;
  FBuffer.TakeAll();
  std::vector<char>().swap(FBodyBuffer);  // a large download's buffer is not kept between requests
}

void THttpCli::CloseConnection() {
  FSocket->Close();
  FConnected = false;
}

void THttpCli::EndWithFailure(std::uint16_t error, const std::string& reason) {
  FDoneError = error;
  FStatusCode = 404;
  FReasonPhrase = reason;
  SessionClosed();
}

void THttpCli::StartLookup() {
  SetState(hsDnsLookup);
  FSocketFailed = false;
  try {
    FSocket->SetLocalAddr(LocalAddr);
    FSocket->DnsLookup(FTargetHost);
  } catch (const std::exception& e) {
    FStatusCode = 404;
    FReasonPhrase = e.what();
    FConnected = false;
    SetState(hsReady);
    return;
  }
}

void THttpCli::LookupDone(std::uint16_t error) {
  if (FState != hsDnsLookup) return;
  if (error != 0) return EndWithFailure(error, "can't resolve hostname to IP address");
  SetState(hsDnsLookupDone);
  FSocketFailed = false;
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
  } catch (const std::exception&) {
    FSocketFailed = true;
  }
  // A failure the socket reported through its error handler ends the request
  // like a raised one, instead of leaving it waiting for events that never
  // come.
  if (FSocketFailed && FState == hsDnsLookupDone) {
    const int code = FSocket->LastError();
    std::string reason = "can't connect: ";
    reason += code ? SocketErrorText(code) + " (Error #" + std::to_string(code) + ")" : FSocket->LastErrorMessage();
    FSocket->Close();
    EndWithFailure(static_cast<std::uint16_t>(code), reason);
  }
}

void THttpCli::SessionConnected(std::uint16_t error) {
  if (error != 0) {
    return EndWithFailure(error, SocketErrorText(error) + " (Error #" + std::to_string(error) + ")");
  }
  FConnected = true;
  SetState(hsConnected);
  FireSessionConnected();
  FBodyMode = false;
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
  } catch (const std::exception&) {
    CloseConnection();
  }
}

void THttpCli::SendRequest(const std::string& method) {
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
  f.Username = Username;
  f.Password = Password;
  f.ThroughProxy = !Proxy.empty();
  f.ProxyUsername = ProxyUsername;
  f.ProxyPassword = ProxyPassword;
  f.Cookie = Cookie;
  f.ContentRangeBegin = ContentRangeBegin;
  f.ContentRangeEnd = ContentRangeEnd;
  ContentRangeBegin.clear();
  ContentRangeEnd.clear();
  AcceptRanges.clear();
  FireRequestHeaderBegin();
  const std::string header = BuildRequestHeader(
      f, [this](std::string& line) { WriteRequestLine(line); }, [this] { FireRequestHeaderEnd(); });
  // The whole header goes in one send.
  FSocket->Send(header.data(), static_cast<int>(header.size()));
}

void THttpCli::WriteRequestLine(std::string& line) {
  if (OnCommand) OnCommand(*this, line);
}

void THttpCli::SendNext() {
  if (!FMaySend || !PostStream) return;
  char buffer[8193];
  const std::int32_t n = PostStream->Read(buffer, sizeof buffer);
  if (n > 0) {
    FSentCount += n;
    FireSendData(buffer, n);
    FSocket->Send(buffer, n);
  } else {
    FMaySend = false;
    FireSendEnd();
  }
}

// ---------------------------------------------------------------- receiving

void THttpCli::DataAvailable() {
  // Body bytes need no line cutting: with nothing pending they are read in
  // large pieces straight from the socket, which saves most of the calls
  // (and under Wine most of the cost) of a large download.
  if (FState == hsWaitingBody && FBuffer.Pending() == 0 && FRequestType != httpAbort) {
    // Drained here while full pieces keep coming (a bounded number of them,
    // so that the message loop keeps turning).
    FBodyBuffer.resize(1024 * 1024);
    for (int round = 0; round < 16; ++round) {
      const int n = FSocket->Receive(FBodyBuffer.data(), static_cast<int>(FBodyBuffer.size()));
      if (n <= 0) break;
      BodyPiece(FBodyBuffer.data(), n);
      if (n < static_cast<int>(FBodyBuffer.size()) || FState != hsWaitingBody) break;
    }
    return;
  }
  const int room = FBuffer.Room();
  if (room <= 0) throw EHttpException("HTTP line too long", 4);
  char chunk[THttpReceiveBuffer::kCapacity];
  const int n = FSocket->Receive(chunk, room);
  if (FRequestType == httpAbort || n <= 0) return;
  FBuffer.Append(chunk, n);
  if (FState == hsWaitingBody) {
    BodyPiece(FBuffer.TakeAll());
    return;
  }
  std::string line;
  while (FState != hsWaitingBody && FBuffer.NextLine(line)) {
    if (FState == hsWaitingHeader) HeaderLine(line);
  }
}

void THttpCli::HeaderLine(const std::string& line) {
  if (FBodyMode) return BodyPiece(line);
  if (FHeaderLineCount == 0) FireHeaderBegin();
  ++FHeaderLineCount;
  if (FHeaderLineCount == 1 && StartsWithHtml(line)) {
    if (FContentType.empty()) FContentType = "text/html";
    FBodyMode = true;
    FireHeaderEnd();
    BodyPiece(line);
    // Complete lines still in the buffer go to the body without their line
    // ends, as the header reader cut them; later data as it arrives.
    std::string rest;
    while (FBuffer.NextLine(rest)) BodyPiece(rest);
    SetState(hsWaitingBody);
    return;
  }
  if (!line.empty()) {
    FHeaderLines.push_back(line);
    const THttpHeaderLine parsed = ParseHeaderLine(line);
    if (parsed.LineKind == THttpHeaderLine::Kind::Status) {
      FStatusCode = parsed.StatusCode;
      FReasonPhrase = parsed.ReasonPhrase;
    } else if (parsed.LineKind == THttpHeaderLine::Kind::Field) {
      if (parsed.Name == "location") {
        FLocationFlag = true;
        ComputeLocation(parsed.Value);
      } else if (parsed.Name == "content-length") {
        FContentLength = rtl::StrToInt64(rtl::Trim(parsed.Value));
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
    if (OnHeaderData) OnHeaderData(*this);
    return;
  }
  // The empty line ends the header.
  if (FLocationFlag) {
    FireHeaderEnd();
    FBuffer.TakeAll();
    FHeaderLineCount = FBodyPieceCount = 0;
    FFollowOnClose = true;
    FSocket->Close();
    return;
  }
  if (FContentLength != 0) {
    FDocumentName = HtmlDocumentName(FDocumentName, FContentType);
    SetState(hsWaitingBody);
    FireHeaderEnd();
    if (FBuffer.Pending() > 0) BodyPiece(FBuffer.TakeAll());
    if (FStatusCode >= 400) FSocket->Close();
    return;
  }
  FireHeaderEnd();
  SetReady();
}

void THttpCli::BodyPiece(const std::string& piece) { BodyPiece(piece.data(), static_cast<int>(piece.size())); }

void THttpCli::BodyPiece(const char* data, int length) {
  if (FBodyPieceCount == 0) FireDocBegin();
  ++FBodyPieceCount;
  FReceivedCount += length;
  if (ReceiveStream && length > 0) ReceiveStream->WriteBuffer(data, length);
  FireDocData(data, length);
}

void THttpCli::SessionClosed() {
  FConnected = false;
  if (FFollowOnClose) {
    FFollowOnClose = false;
    return FollowLocation();
  }
  if (FInHeader) {
    FireHeaderEnd();
    if (FLocationFlag) return FollowLocation();
    return SetReady();
  }
  if (FBodyPieceCount > 0) FireDocEnd();
  SetReady();
}

// ---------------------------------------------------------------- redirections

void THttpCli::ComputeLocation(const std::string& v) {
  const bool proxy = !Proxy.empty();
  const bool absolute = v.size() >= 7 && rtl::SameText(v.substr(0, 7), "http://");
  if (!v.empty() && v[0] == '/') {
    if (proxy) {
      const THttpUrlParts cur = ParseURL(FRequestPath, "");
      FLocation = (cur.Scheme.empty() ? std::string("http") : cur.Scheme) + "://" + cur.Host +
                  (cur.Port.empty() ? "" : ":" + cur.Port) + v;
      FRequestPath = FLocation;
      if (!cur.User.empty() && !cur.Password.empty()) {
        Username = cur.User;
        Password = cur.Password;
      }
    } else {
      FRequestPath = v;
      FLocation = "http://" + FTargetHost + v;
    }
  } else if (!absolute) {
    FRequestPath = BaseOf(FRequestPath) + v;
    FLocation = proxy ? FRequestPath : "http://" + FHostName + (FRequestPath.empty() || FRequestPath[0] != '/' ? "/" : "") + FRequestPath;
  } else {
    const THttpUrlParts u = ParseURL(v, "");
    if (!u.User.empty() && !u.Password.empty()) {
      Username = u.User;
      Password = u.Password;
    }
    if (proxy) {
      if (!u.Host.empty()) {
        FHostName = u.Host;
        FLocation = FRequestPath = u.Scheme + "://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
      }
    } else {
      FTargetHost = u.Host.empty() ? FHostName : u.Host;
      FRequestPath = u.Path.empty() ? "/" : u.Path;
      FTargetPort = u.Port.empty() ? "80" : u.Port;
      FHostName = FTargetHost;
      FLocation = u.Scheme + "://" + FTargetHost + u.Path;
    }
  }
}

void THttpCli::FollowLocation() {
  // A bound on successive redirections: a loop of them ends with a clear
  // failure instead of running for ever.
  if (++FRedirections > MaxRedirections) {
    FStatusCode = 404;
    FReasonPhrase = "Too many redirections (more than " + std::to_string(MaxRedirections) + ")";
    FLocationFlag = false;
    FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { SessionClosed(); };
    return SetReady();
  }
  const std::string location = FLocation.substr(0, FLocation.find('#'));
  FDocumentName = DocumentNameOf(ParseURL(location, "").Path);
  FConnected = false;
  FLocationFlag = false;
  if (FRequestType == httpPOST) FRequestType = httpGET;
  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { SessionClosed(); };
  if (OnLocationChange) OnLocationChange(*this);
  FHeaderLines.clear();
  FHeaderLineCount = FBodyPieceCount = 0;
  FContentLength = -1;
  FContentType.clear();
  FStatusCode = 0;
  FBodyMode = false;
  if (!Proxy.empty()) FTargetPort = FProxyPortUsed;
  ::PostMessageA(FWindow->Handle(), WM_HTTP_LOGIN, 0, 0);
}

// ---------------------------------------------------------------- waiting

void THttpCli::Abort() {
  FRequestType = httpAbort;
  FFollowOnClose = false;
  FLocationFlag = false;
  FSocket->CancelLookup();
  if (FSocket->State() != wsClosed) FSocket->Abort();
  SetReady();
}

void THttpCli::RequestSync(THttpRequest request) {
  StartRequest(request);
  const DWORD start = ::GetTickCount();
  bool timedOut = false;
  // Waits for messages instead of spinning; the loop keeps turning so that
  // the socket's events (and the rest of the program) are handled.
  while (FState != hsReady) {
    DWORD wait = INFINITE;
    if (Timeout > 0) {
      const DWORD elapsed = ::GetTickCount() - start;
      if (elapsed >= static_cast<DWORD>(Timeout)) {
        timedOut = true;
        break;
      }
      wait = static_cast<DWORD>(Timeout) - elapsed;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    if (MultiThreaded) FSocket->PumpMessages();
    else rtl::Application().ProcessMessages();
    if (rtl::Application().Terminated()) break;
  }
  if (timedOut) {
    const THttpRequest kept = FRequestType;
    Abort();
    for (int i = 0; i < 200 && FState != hsReady; ++i) {
      rtl::Application().ProcessMessages();
      ::Sleep(5);
    }
    FRequestType = kept;
    throw EHttpException(rtl::Format("HTTP request timed out after %.1f s", Timeout / 1000.0), 404);
  }
  if (FStatusCode >= 400) throw EHttpException(FReasonPhrase, FStatusCode);
}

// ---------------------------------------------------------------- events

void THttpCli::FireCookie(const std::string& data, bool& accept) {
  if (OnCookie) OnCookie(*this, data, accept);
}
void THttpCli::FireSessionConnected() {
  if (OnSessionConnected) OnSessionConnected(*this);
}
void THttpCli::FireRequestHeaderBegin() {
  if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
}
void THttpCli::FireRequestHeaderEnd() {
  if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
}
void THttpCli::FireHeaderBegin() {
  FInHeader = true;
  if (OnHeaderBegin) OnHeaderBegin(*this);
}
void THttpCli::FireHeaderEnd() {
  FInHeader = false;
  if (OnHeaderEnd) OnHeaderEnd(*this);
}
void THttpCli::FireDocBegin() {
  if (OnDocBegin) OnDocBegin(*this);
}
void THttpCli::FireDocData(const char* data, int length) {
  if (OnDocData) OnDocData(*this, data, length);
}
void THttpCli::FireDocEnd() {
  if (OnDocEnd) OnDocEnd(*this);
}
void THttpCli::FireSendBegin() {
  if (OnSendBegin) OnSendBegin(*this);
}
void THttpCli::FireSendData(const char* data, int length) {
  if (OnSendData) OnSendData(*this, data, length);
}
void THttpCli::FireSendEnd() {
  if (OnSendEnd) OnSendEnd(*this);
}
