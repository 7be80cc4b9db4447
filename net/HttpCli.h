#pragma once
// HTTP/1.0 client on the asynchronous socket: the request runs on window
// messages; RequestSync (Get) waits for it while the message loop turns,
// with a time limit. An https URL runs over TLS (the socket's TLS layer),
// through an HTTP proxy in a CONNECT tunnel; a redirection from https to
// http is refused.
//
// One request at a time, each its own: it ends with its connection closed
// and its lookup forgotten, its posted messages carry its number and are
// ignored by any other request, credentials from its URL serve it alone,
// and no value of it may add a line to what it sends. Event handlers may
// Abort, close the socket or start a new request from any event, and may
// free the client; what runs up the stack then stops without touching it.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/LineWSocket.h"
#include "net/core/HttpErrors.h"
#include "net/core/HttpProtocol.h"
#include "net/core/HttpReplyReader.h"
#include "rtl/core/Component.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/HiddenWindow.h"

enum THttpState { hsReady, hsNotConnected, hsConnected, hsDnsLookup, hsDnsLookupDone, hsWaitingHeader, hsWaitingBody };
enum THttpRequest { httpAbort, httpGET, httpPOST, httpHEAD };

// The client's own failure numbers (HttpErrors.h) as DoneError and
// EHttpException::ErrorCode give them.
constexpr std::uint16_t httpErrorLineTooLong = ErrorNumber(THttpError::LineTooLong);
constexpr std::uint16_t httpErrorHeaderTooLarge = ErrorNumber(THttpError::HeaderTooLarge);
constexpr std::uint16_t httpErrorBodyLimit = ErrorNumber(THttpError::BodyLimit);
constexpr std::uint16_t httpErrorTimeout = ErrorNumber(THttpError::Timeout);
constexpr std::uint16_t httpErrorNoReply = ErrorNumber(THttpError::NoReply);
constexpr std::uint16_t httpErrorHeaderCut = ErrorNumber(THttpError::HeaderCut);
constexpr std::uint16_t httpErrorNoStatusLine = ErrorNumber(THttpError::NoStatusLine);
constexpr std::uint16_t httpErrorData = ErrorNumber(THttpError::Data);
constexpr std::uint16_t httpErrorQuit = ErrorNumber(THttpError::Quit);
constexpr std::uint16_t httpErrorNotConnected = ErrorNumber(THttpError::NotConnected);
constexpr std::uint16_t httpErrorRedirections = ErrorNumber(THttpError::Redirections);
constexpr std::uint16_t httpErrorAborted = ErrorNumber(THttpError::Aborted);
constexpr std::uint16_t httpErrorFieldRefused = ErrorNumber(THttpError::FieldRefused);
constexpr std::uint16_t httpErrorBadLocation = ErrorNumber(THttpError::BadLocation);
constexpr std::uint16_t httpErrorTls = ErrorNumber(THttpError::Tls);
constexpr std::uint16_t httpErrorCertificate = ErrorNumber(THttpError::Certificate);
constexpr std::uint16_t httpErrorDowngrade = ErrorNumber(THttpError::Downgrade);
constexpr std::uint16_t httpErrorTunnel = ErrorNumber(THttpError::Tunnel);

// ErrorCode is the client's own number when a request is refused at its
// start, and the status code (404 for a local failure) when the synchronous
// call reports a request's outcome; DoneError is then the request's Error
// (0, or the number of its failure: the socket's, the SOCKS handshake's or
// the client's own).
class EHttpException : public rtl::Exception {
public:
  EHttpException(std::string message, THttpError error)
      : rtl::Exception(std::move(message)), ErrorCode(ErrorNumber(error)), DoneError(ErrorNumber(error)) {}
  EHttpException(std::string message, int statusCode, std::uint16_t doneError)
      : rtl::Exception(std::move(message)), ErrorCode(static_cast<std::uint16_t>(statusCode)), DoneError(doneError) {}
  std::uint16_t ErrorCode;
  std::uint16_t DoneError;
};

class THttpCli : public rtl::TComponent {
public:
  static constexpr UINT WM_HTTP_REQUEST_DONE = WM_USER + 1;
  static constexpr UINT WM_HTTP_SET_READY = WM_USER + 2;
  static constexpr UINT WM_HTTP_LOGIN = WM_USER + 3;

  explicit THttpCli(rtl::TComponent* owner);
  ~THttpCli() override;

  // Request settings.
  std::string URL, Proxy, ProxyPort = "80", LocalAddr = "0.0.0.0";
  std::string Agent = "Mozilla/3.0 (compatible)", Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*", Reference, Sender;
  std::string ContentTypePost = "application/x-www-form-urlencoded", Cookie;
  bool NoCache = false;
  double ModifiedSince = 0;
  // Sent to the host of URL only, never after a redirection to another
  // scheme, host or port; a URL with user information brings credentials
  // of its own, for that request alone.
  std::string Username, Password, ProxyUsername, ProxyPassword;
  std::string ContentRangeBegin, ContentRangeEnd, AcceptRanges;
  std::string SocksServer, SocksPort, SocksLevel = "5", SocksUsercode, SocksPassword;
  TSocksAuthentication SocksAuthentication = socksNoAuthentication;
  // Given to the socket at each request start: its own waits (Flush,
  // closing) then pump with its own loop, for a thread of its own. Get's
  // wait serves any thread as it is.
  bool MultiThreaded = false;
  rtl::TStream* ReceiveStream = nullptr;  // not owned
  rtl::TStream* PostStream = nullptr;     // not owned
  // The synchronous wait ends after this many milliseconds (0: no limit),
  // also while the server keeps sending.
  int Timeout = 30000;
  // A body longer than this many bytes ends the request as a failure
  // (0: no limit).
  std::int64_t BodyLimit = 0;
  // Redirections followed in one request at most.
  int MaxRedirections = 20;

  // What the last request gave.
  int StatusCode() const { return FStatusCode; }
  const std::string& ReasonPhrase() const { return FReasonPhrase; }
  std::int64_t ContentLength() const { return FContentLength; }
  const std::string& ContentType() const { return FContentType; }
  const std::vector<std::string>& HeaderLines() const { return FHeaderLines; }
  const std::string& DocumentName() const { return FDocumentName; }
  const std::string& Location() const { return FLocation; }
  const std::string& RequestPath() const { return FRequestPath; }
  const std::string& HostName() const { return FHostName; }
  const std::string& TargetHost() const { return FTargetHost; }
  const std::string& TargetPort() const { return FTargetPort; }
  bool Connected() const { return FConnected; }
  std::uint16_t DoneError() const { return FDoneError; }
  std::int64_t ReceivedCount() const { return FReceivedCount; }
  std::int64_t SentCount() const { return FSentCount; }
  THttpState State() const { return FState; }
  THttpRequest RequestType() const { return FRequestType; }
  TWSocket& Socket() { return *FSocket; }

  void Get() { RequestSync(httpGET); }
  void Post() { RequestSync(httpPOST); }
  void Head() { RequestSync(httpHEAD); }
  // Starts the request and waits until it has ended and OnRequestDone has
  // fired for it; raises EHttpException for a failure or a status of 400
  // or more.
  void RequestSync(THttpRequest request);
  // Raises EHttpException (the client left as it was) when busy, with
  // nothing to post, or when a value of the request holds CR, LF or NUL.
  void StartRequest(THttpRequest request);
  // Ends the running request at once ("HTTP request aborted"): the client
  // is ready again when Abort returns, and OnRequestDone follows.
  void Abort();

  using TNotify = std::function<void(THttpCli&)>;
  using TDocData = std::function<void(THttpCli&, const char* data, int length)>;
  // Kept for callers that assign it; the component has nothing to trace.
  TNotify OnTrace;
  TNotify OnSessionConnected, OnHeaderData, OnHeaderBegin, OnHeaderEnd;
  TNotify OnRequestHeaderBegin, OnRequestHeaderEnd;
  TNotify OnDocBegin, OnDocEnd, OnSendBegin, OnSendEnd;
  TDocData OnDocData, OnSendData;
  std::function<void(THttpCli&, std::string& line)> OnCommand;
  TNotify OnStateChange;
  // Once per request, from a posted message; not for a request that another
  // one has replaced before the message came.
  std::function<void(THttpCli&, THttpRequest, std::uint16_t error)> OnRequestDone;
  TNotify OnLocationChange;
  std::function<void(THttpCli&, const std::string& data, bool& accept)> OnCookie;
  // The socket's SOCKS events, passed on with the socket as sender.
  std::function<void(TCustomWSocket&, std::uint16_t error)> OnSocksConnected;
  std::function<void(TCustomWSocket&, TSocksAuthState)> OnSocksAuthState;
  std::function<void(TCustomWSocket&, int error, const std::string& msg)> OnSocksError;
  TNotify OnSocketError;

protected:
  // Each request line on its way out; the line as it stands afterwards is
  // sent (an emptied one is left out).
  virtual void WriteRequestLine(std::string& line);
  virtual void StartLookup();
  virtual void CloseConnection();
  virtual void ResetRequestState();
  virtual void FollowLocation();
  virtual void FireCookie(const std::string& data, bool& accept);
  virtual void FireSessionConnected();
  virtual void FireRequestHeaderBegin();
  virtual void FireRequestHeaderEnd();
  virtual void FireHeaderBegin();
  virtual void FireHeaderEnd();
  virtual void FireDocBegin();
  virtual void FireDocData(const char* data, int length);
  virtual void FireDocEnd();
  virtual void FireSendBegin();
  virtual void FireSendData(const char* data, int length);
  virtual void FireSendEnd();

private:
  // Where the running request is. Idle: none runs (State is hsReady).
  // Running: it runs and its events are handled. Ending: its outcome is
  // final, its connection and lookup are gone, and the message that makes
  // the client ready is on its way.
  enum class TPhase { Idle, Running, Ending };
  // Thrown up the stack of a request's own code when an event handler ended
  // that request (Abort, a new request): caught where the code was entered.
  struct ERequestEnded {};
  // What a synchronous wait learns of its request when that ends.
  struct TSyncWait {
    unsigned Serial;
    bool Ended = false, Failed = false;
    int StatusCode = 0;
    std::uint16_t DoneError = 0;
    std::string ReasonPhrase;
  };

  LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A socket event enters the request's code here: nothing runs for a
  // client that is gone, and a handler that ended the request ends the
  // event.
  template <typename Body>
  static void FromSocket(const std::shared_ptr<bool>& alive, Body body);
  // Calls an event handler. Afterwards, a freed client throws EOwnerFreed
  // and a request that the handler ended throws ERequestEnded.
  template <typename Event, typename... Args>
  void Fire(const Event& event, Args&&... args);
  // After a call into the socket, which may have run handlers: the request
  // that ran before the call must still run.
  void StillRunning(unsigned serial) const;
  bool Begin(THttpRequest request);
  void CheckRequestValues() const;
  THttpRequestFields RequestFields(const std::string& method) const;
  void SetState(THttpState state);
  // The request's outcome is final: its connection and lookup go, and
  // "ready" is posted.
  void EndRequest();
  void BecomeReady();
  // Ends the request as a failure: status 404 with Reason, Error for
  // OnRequestDone (the client's own number, or the socket's or SOCKS
  // handshake's). The first outcome of a request is the one kept.
  void FailRequest(THttpError error, const std::string& reason);
  void FailRequest(std::uint16_t socketError, const std::string& reason);
  void DropConnection();
  void DeliverDone(unsigned serial, const std::shared_ptr<bool>& alive);
  bool DeadlinePassed() const;
  std::string TimeoutText() const;
  // The number of the failure that the socket just reported through its
  // error handler, when it gave one.
  std::uint16_t SocketFailureNumber() const;
  void ReceiveData();
  void LookupDone(std::uint16_t error);
  void SessionConnected(std::uint16_t error);
  void DataAvailable();
  void SessionClosed(std::uint16_t error);
  void SendNext();
  // Acts on what the reader makes of the bytes so far; Closing: inside the
  // report of the connection's close.
  void TakeReplyEvents(bool closing);
  void ReplyEvent(const THttpReplyEvent& event, bool closing);
  void HeaderLine(const THttpReplyEvent& event);
  void BodyPiece(std::string_view piece);
  void ComputeLocation(const std::string& value);
  void SendRequest(const std::string& method);
  // The connection is ready for the request (TLS established where asked).
  void SendFirstRequest();
  // https: TLS on the connection (Early: server bytes read already), or
  // through an HTTP proxy first the tunnel and its answer.
  void StartTls(const std::string& early);
  void RequestTunnel();
  void TunnelData();
  std::string TlsTarget() const;

  std::unique_ptr<rtl::THiddenWindow> FWindow;
  std::unique_ptr<TWSocket> FSocket;
  // False once the client is destroyed; shared with what may outlive it on
  // the stack (its socket's handlers, a synchronous wait).
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  THttpState FState = hsReady;
  TPhase FPhase = TPhase::Idle;
  // The running (or last) request's number; every posted message names one.
  unsigned FRequestSerial = 0;
  bool FDonePending = false;
  std::vector<TSyncWait*> FSyncWaits;
  THttpRequest FRequestType = httpGET;
  int FStatusCode = 0;
  std::string FReasonPhrase;
  std::int64_t FContentLength = -1;
  std::string FContentType;
  std::vector<std::string> FHeaderLines;
  std::string FDocumentName, FLocation, FRequestPath, FHostName, FTargetHost, FTargetPort;
  std::string FProxyHost, FProxyPortUsed;
  // Credentials that the URL brought, and where they may go: the origin of
  // the URL, compared with that of the current document.
  bool FUrlCredentials = false;
  std::string FUrlUser, FUrlPassword;
  std::string FOrigin, FCurrentOrigin;
  bool FConnected = false;
  std::uint16_t FDoneError = 0;
  std::int64_t FReceivedCount = 0, FSentCount = 0;
  THttpReplyReader FReader;
  bool FFailed = false;
  // The synchronous wait's end, checked also while data keeps coming; it
  // belongs to the request of FDeadlineSerial.
  bool FHasDeadline = false;
  DWORD FDeadline = 0;
  unsigned FDeadlineSerial = 0;
  std::string FSocksErrorText;
  std::vector<char> FBodyBuffer;
  int FBodyPieceCount = 0;
  bool FMaySend = false;
  // A redirection waits for its connection's close, then for its posted
  // login message.
  bool FFollowOnClose = false, FLoginPending = false;
  int FRedirections = 0;
  bool FSocketFailed = false;
  // The current target is https: TLS to FTlsHost (its name for the
  // handshake and the certificate) on FTlsPort, through a tunnel when a
  // proxy is set (FTunnel: its answer is awaited).
  bool FTls = false, FTunnel = false;
  std::string FTlsHost, FTlsPort;
  THttpTunnelReply FTunnelReply;
};
