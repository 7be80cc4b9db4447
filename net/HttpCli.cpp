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
  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t e) { SessionClosed(e); };
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
    FSocksErrorText = m + " (Error #" + std::to_string(e) + ")";
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

// Posted, so that the request ends from the message loop and never inside
// the socket event that ended it. One post per request: a second one left
// in the queue would end the next request before it began.
void THttpCli::SetReady() {
  if (FReadyPending || FState == hsReady || !FWindow) return;
  FReadyPending = true;
  ::PostMessageA(FWindow->Handle(), WM_HTTP_SET_READY, FRequestSerial, 0);
}

// At once, for a wait that cannot go back to the message loop (its time
// ran out, or the program is ending); a ready still in the queue is void.
void THttpCli::BecomeReady() {
  FReadyPending = false;
  SetState(hsReady);
}

LRESULT THttpCli::WindowMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_HTTP_REQUEST_DONE:
      if (OnRequestDone) OnRequestDone(*this, FRequestType, FDoneError);
      break;
    case WM_HTTP_SET_READY:
      if (FReadyPending && wParam == FRequestSerial) BecomeReady();
      break;
    case WM_HTTP_LOGIN: StartLookup(); break;
  }
  return 0;
}

// ---------------------------------------------------------------- requests

void THttpCli::StartRequest(THttpRequest request) {
  if (FState != hsReady) throw EHttpException("HTTP component is busy", 1);
  if (request == httpPOST && !PostStream) throw EHttpException("HTTP component has nothing to post", 2);

  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t e) { SessionClosed(e); };
  FSocket->MultiThreaded = MultiThreaded;  // the socket's own waits pump with its own loop
  ++FRequestSerial;
  FReadyPending = false;
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
  FHeaderTally.Reset();
  FFailed = FStatusSeen = FHeaderDone = false;
  FSocksErrorText.clear();
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

void THttpCli::FailRequest(std::uint16_t error, const std::string& reason) {
  if (FFailed) return;
  FFailed = true;
  FDoneError = error;
  FStatusCode = 404;
  FReasonPhrase = reason;
  FFollowOnClose = false;
  FLocationFlag = false;
  FMaySend = false;
  // The close reaches SessionClosed, which finds the request failed; a
  // lookup's late answer finds the request no longer waiting for it.
  FSocket->CancelLookup();
  if (FSocket->State() != wsClosed) FSocket->Abort();
  FConnected = false;
  SetReady();
}

bool THttpCli::DeadlinePassed() const {
  return FHasDeadline && static_cast<LONG>(::GetTickCount() - FDeadline) >= 0;
}

std::string THttpCli::TimeoutText() const {
  return rtl::Format("HTTP request timed out after %.1f s", Timeout / 1000.0);
}

void THttpCli::StartLookup() {
  SetState(hsDnsLookup);
  FSocketFailed = false;
  std::string failure;
  try {
    FSocket->SetLocalAddr(LocalAddr);
    FSocket->DnsLookup(FTargetHost);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  // A lookup that could not start, raised or reported through the socket's
  // error handler, ends the request at once; nothing else would end it.
  if (failure.empty() && FSocketFailed && FState == hsDnsLookup) failure = FSocket->LastErrorMessage();
  if (failure.empty() || FState != hsDnsLookup) return;
  FFailed = true;
  FStatusCode = 404;
  FReasonPhrase = failure;
  FDoneError = static_cast<std::uint16_t>(FSocket->LastError() ? FSocket->LastError() : httpErrorNoReply);
  FConnected = false;
  BecomeReady();
}

void THttpCli::LookupDone(std::uint16_t error) {
  if (FState != hsDnsLookup) return;
  if (error != 0) return FailRequest(error, "can't resolve hostname to IP address");
  SetState(hsDnsLookupDone);
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
  // A failure the socket reported through its error handler ends the request
  // like a raised one, instead of leaving it waiting for events that never
  // come.
  if (FSocketFailed && FState == hsDnsLookupDone) {
    const int code = FSocket->LastError();
    std::string reason = "can't connect: ";
    if (code) reason += SocketErrorText(code) + " (Error #" + std::to_string(code) + ")";
    else reason += raised.empty() ? FSocket->LastErrorMessage() : raised;
    FailRequest(static_cast<std::uint16_t>(code ? code : httpErrorNotConnected), reason);
  }
}

void THttpCli::SessionConnected(std::uint16_t error) {
  if (error != 0) {
    // A refused SOCKS handshake has said what went wrong in its own words.
    const std::string text = !FSocksErrorText.empty() ? FSocksErrorText
                                                       : SocketErrorText(error) + " (Error #" + std::to_string(error) + ")";
    return FailRequest(error, text);
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
  } catch (const std::exception& e) {
    CloseConnection();
    FailRequest(httpErrorData, std::string("The request could not be sent: ") + e.what());
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

// Whatever goes wrong with the data (a line too long, a bad number, a
// stream that cannot take the body) ends the request as a failure here; the
// socket never sees it.
void THttpCli::DataAvailable() {
  try {
    ReceiveData();
  } catch (const EHttpException& e) {
    FailRequest(e.ErrorCode, e.Message());
  } catch (const std::exception& e) {
    FailRequest(httpErrorData, e.what());
  }
}

void THttpCli::ReceiveData() {
  if (FFailed) return;
  if (DeadlinePassed()) return FailRequest(httpErrorTimeout, TimeoutText());
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
      if (FFailed || n < static_cast<int>(FBodyBuffer.size()) || FState != hsWaitingBody) break;
      if (DeadlinePassed()) return FailRequest(httpErrorTimeout, TimeoutText());
    }
    return;
  }
  const int room = FBuffer.Room();
  if (room <= 0) throw EHttpException("HTTP line too long", httpErrorLineTooLong);
  char chunk[THttpReceiveBuffer::kCapacity];
  const int n = FSocket->Receive(chunk, room);
  if (FRequestType == httpAbort || n <= 0) return;
  FBuffer.Append(chunk, n);
  if (FState == hsWaitingBody) {
    BodyPiece(FBuffer.TakeAll());
    return;
  }
  std::string line;
  while (!FFailed && FState != hsWaitingBody && FBuffer.NextLine(line)) {
    if (FState == hsWaitingHeader) HeaderLine(line);
  }
  // Pending bytes that fill the buffer without a line end can never become
  // a line: said now, not after the server's close.
  if (!FFailed && FState == hsWaitingHeader && FBuffer.Room() <= 0)
    throw EHttpException("HTTP line too long", httpErrorLineTooLong);
}

void THttpCli::HeaderLine(const std::string& line) {
  if (FBodyMode) return BodyPiece(line);
  if (FHeaderLineCount == 0) FireHeaderBegin();
  ++FHeaderLineCount;
  if (StartsWithHtml(line)) {
    if (FContentType.empty()) FContentType = "text/html";
    FBodyMode = true;
    FHeaderDone = true;
    FireHeaderEnd();
    BodyPiece(line);
    // Complete lines still in the buffer go to the body without their line
    // ends, as the header reader cut them; the rest (a last line without
    // its end among it) as it is, and later data as it arrives.
    std::string rest;
    while (!FFailed && FBuffer.NextLine(rest)) BodyPiece(rest);
    if (!FFailed && FBuffer.Pending() > 0) BodyPiece(FBuffer.TakeAll());
    SetState(hsWaitingBody);
    return;
  }
  if (!line.empty()) {
    const std::string bound = FHeaderTally.Count(line.size());
    if (!bound.empty()) return FailRequest(httpErrorHeaderTooLarge, bound);
    FHeaderLines.push_back(line);
    const THttpHeaderLine parsed = ParseHeaderLine(line);
    if (parsed.LineKind == THttpHeaderLine::Kind::Status) {
      FStatusSeen = true;
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
  if (!FStatusSeen) {
    FireHeaderEnd();
    return FailRequest(httpErrorNoStatusLine, "HTTP reply has no status line");
  }
  FHeaderDone = true;
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
  if (FFailed) return;
  // What is past the limit is not kept: the stream holds the first
  // BodyLimit bytes and the request fails.
  const bool over = BodyLimit > 0 && length > BodyLimit - FReceivedCount;
  if (over) length = static_cast<int>(std::max<std::int64_t>(0, BodyLimit - FReceivedCount));
  if (FBodyPieceCount == 0) FireDocBegin();
  ++FBodyPieceCount;
  FReceivedCount += length;
  if (ReceiveStream && length > 0) ReceiveStream->WriteBuffer(data, length);
  FireDocData(data, length);
  if (over) FailRequest(httpErrorBodyLimit, "HTTP body is longer than the limit of " + std::to_string(BodyLimit) + " bytes");
}

void THttpCli::SessionClosed(std::uint16_t error) {
  const bool wasConnected = FConnected;
  FConnected = false;
  if (FFailed || FRequestType == httpAbort) return SetReady();
  if (FFollowOnClose) {
    FFollowOnClose = false;
    return FollowLocation();
  }
  if (FState == hsWaitingBody) {
    try {
      // A last piece without a line end, left behind by the header reader.
      if (FBuffer.Pending() > 0) BodyPiece(FBuffer.TakeAll());
    } catch (const std::exception& e) {
      return FailRequest(httpErrorData, e.what());
    }
    if (FFailed) return;
    if (FBodyPieceCount > 0) FireDocEnd();
    return SetReady();
  }
  if (FInHeader) {
    FireHeaderEnd();
    if (FLocationFlag) return FollowLocation();
    return FailRequest(httpErrorHeaderCut, "HTTP server closed the connection in the middle of the header");
  }
  if (FHeaderDone) return SetReady();
  if (!wasConnected) {
    if (!FSocksErrorText.empty()) return FailRequest(error ? error : httpErrorNotConnected, FSocksErrorText);
    return FailRequest(error ? error : httpErrorNotConnected, "The connection closed before it was established");
  }
  FailRequest(httpErrorNoReply, "HTTP server closed the connection without a reply");
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
  if (++FRedirections > MaxRedirections)
    return FailRequest(httpErrorRedirections, "Too many redirections (more than " + std::to_string(MaxRedirections) + ")");
  const std::string location = FLocation.substr(0, FLocation.find('#'));
  FDocumentName = DocumentNameOf(ParseURL(location, "").Path);
  FConnected = false;
  FLocationFlag = false;
  if (FRequestType == httpPOST) FRequestType = httpGET;
  FSocket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t e) { SessionClosed(e); };
  if (OnLocationChange) OnLocationChange(*this);
  FHeaderLines.clear();
  FHeaderLineCount = FBodyPieceCount = 0;
  FContentLength = -1;
  FContentType.clear();
  FStatusCode = 0;
  FBodyMode = false;
  FStatusSeen = FHeaderDone = false;
  FHeaderTally.Reset();
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
  FHasDeadline = Timeout > 0;
  FDeadline = ::GetTickCount() + static_cast<DWORD>(Timeout > 0 ? Timeout : 0);
  struct TDeadlineEnd {
    bool& has;
    ~TDeadlineEnd() { has = false; }
  } deadlineEnd{FHasDeadline};
  StartRequest(request);
  const rtl::TWaitResult result =
      rtl::WaitForMessages([this] { return FState == hsReady; }, Timeout > 0 ? static_cast<DWORD>(Timeout) : 0,
                            rtl::TWake::OnMessages);
  if (result != rtl::TWaitResult::Done) {
    // The request goes now: a partial page must never pass for the whole.
    // WM_QUIT has been posted again for the program's own loop.
    if (result == rtl::TWaitResult::Quit)
      FailRequest(httpErrorQuit, "HTTP request ended: the program is closing");
    else
      FailRequest(httpErrorTimeout, TimeoutText());
    BecomeReady();
  }
  if (FRequestType == httpAbort && !FFailed) throw EHttpException("HTTP request aborted", 404);
  if (FFailed || FStatusCode >= 400) throw EHttpException(FReasonPhrase, static_cast<std::uint16_t>(FStatusCode));
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
