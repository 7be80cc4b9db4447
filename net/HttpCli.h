#pragma once
// HTTP/1.0 client on the asynchronous socket: the request runs on window
// messages; RequestSync (Get) waits for it while the message loop turns,
// with a time limit.
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
#include <vector>

#include "net/LineWSocket.h"
#include "net/core/HttpProtocol.h"
#include "rtl/core/Component.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/Window.h"

enum THttpState { hsReady, hsNotConnected, hsConnected, hsDnsLookup, hsDnsLookupDone, hsWaitingHeader, hsWaitingBody };
enum THttpRequest { httpAbort, httpGET, httpPOST, httpHEAD };

// The Error of OnRequestDone for failures of the HTTP layer itself; the
// socket's and the SOCKS handshake's failures keep their own numbers.
constexpr std::uint16_t httpErrorLineTooLong = 4;
constexpr std::uint16_t httpErrorHeaderTooLarge = 5;
constexpr std::uint16_t httpErrorBodyLimit = 6;
constexpr std::uint16_t httpErrorTimeout = 7;
constexpr std::uint16_t httpErrorNoReply = 8;
constexpr std::uint16_t httpErrorHeaderCut = 9;
constexpr std::uint16_t httpErrorNoStatusLine = 10;
constexpr std::uint16_t httpErrorData = 11;
constexpr std::uint16_t httpErrorQuit = 12;
constexpr std::uint16_t httpErrorNotConnected = 13;
constexpr std::uint16_t httpErrorRedirections = 14;
constexpr std::uint16_t httpErrorAborted = 15;
// A value of the request holds CR, LF or NUL (raised by StartRequest, or
// the request's end when a handler put it there).
constexpr std::uint16_t httpErrorFieldRefused = 16;
// A redirection whose Location holds a control character.
constexpr std::uint16_t httpErrorBadLocation = 17;

class EHttpException : public rtl::Exception {
public:
  EHttpException(std::string message, std::uint16_t errorCode)
      : rtl::Exception(std::move(message)), ErrorCode(errorCode) {}
  std::uint16_t ErrorCode;
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
  class THttpWindow;
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
  // OnRequestDone. The first outcome of a request is the one kept.
  void FailRequest(std::uint16_t error, const std::string& reason);
  void DropConnection();
  void DeliverDone(unsigned serial, const std::shared_ptr<bool>& alive);
  bool DeadlinePassed() const;
  std::string TimeoutText() const;
  std::uint16_t SocketFailureNumber(std::uint16_t otherwise) const;
  void ReceiveData();
  void LookupDone(std::uint16_t error);
  void SessionConnected(std::uint16_t error);
  void DataAvailable();
  void SessionClosed(std::uint16_t error);
  void SendNext();
  void HeaderLine(const std::string& line);
  void BodyPiece(const std::string& piece);
  void BodyPiece(const char* data, int length);
  void ComputeLocation(const std::string& value);
  void SendRequest(const std::string& method);

  std::unique_ptr<THttpWindow> FWindow;
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
  THttpReceiveBuffer FBuffer;
  THttpHeaderTally FHeaderTally;
  bool FFailed = false, FStatusSeen = false, FHeaderDone = false;
  // The synchronous wait's end, checked also while data keeps coming; it
  // belongs to the request of FDeadlineSerial.
  bool FHasDeadline = false;
  DWORD FDeadline = 0;
  unsigned FDeadlineSerial = 0;
  std::string FSocksErrorText;
  std::vector<char> FBodyBuffer;
  int FHeaderLineCount = 0, FBodyPieceCount = 0;
  bool FLocationFlag = false, FInHeader = false, FMaySend = false, FBodyMode = false;
  // A redirection waits for its connection's close, then for its posted
  // login message.
  bool FFollowOnClose = false, FLoginPending = false;
  int FRedirections = 0;
  bool FSocketFailed = false;
};
